#include "textexporter.h"

#include "consoletext.h"

#include <algorithm>
#include <cstring>

namespace {

// The newline after <pre> is dropped by every reader, so a text that starts
// with a line break keeps it. The bytes go out as stored, in the charset the
// console reads them in.
QByteArray htmlHead(bool utf8)
{
    return QByteArrayLiteral(
               "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
               "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=")
        + (utf8 ? "UTF-8" : "ISO-8859-1") + "\">\n<title>Capture</title></head><body>\n<pre>\n";
}
const char htmlTail[] = "</pre>\n</body></html>\n";

QByteArray cssColour(quint32 colour)
{
    return '#' + QByteArray::number(colour & 0xffffff, 16).rightJustified(6, '0');
}

// Reverse video swaps the colours; where the device set none, the page's
// own (CSS's Canvas and CanvasText) stand in.
QByteArray spanOf(const TextStyle &style)
{
    const bool reverse = style.has(TextStyle::Reverse);
    const quint32 foreground = reverse ? style.background : style.foreground;
    const quint32 background = reverse ? style.foreground : style.background;
    QByteArray css;
    if (foreground)
        css += "color:" + cssColour(foreground) + ';';
    else if (reverse)
        css += "color:Canvas;";
    if (background)
        css += "background-color:" + cssColour(background) + ';';
    else if (reverse)
        css += "background-color:CanvasText;";
    if (style.bold)
        css += "font-weight:bold;";
    if (style.has(TextStyle::Dim))
        css += "opacity:0.5;";
    if (style.has(TextStyle::Italic))
        css += "font-style:italic;";
    QByteArray lines;
    if (style.has(TextStyle::Underline))
        lines += " underline";
    if (style.has(TextStyle::Strike))
        lines += " line-through";
    if (!lines.isEmpty())
        css += "text-decoration:" + lines.mid(1) + ';';
    return "<span style=\"" + css + "\">";
}

// What needs no escape is appended a run at a time.
void appendEscaped(QByteArray *out, const char *bytes, qint64 count)
{
    const char *end = bytes + count;
    while (bytes < end) {
        const char *plain = bytes;
        while (plain < end && *plain != '&' && *plain != '<' && *plain != '>' && *plain != '"')
            ++plain;
        out->append(bytes, int(plain - bytes));
        if (plain == end)
            return;
        switch (*plain) {
        case '&': out->append("&amp;"); break;
        case '<': out->append("&lt;"); break;
        case '>': out->append("&gt;"); break;
        default: out->append("&quot;"); break;
        }
        bytes = plain + 1;
    }
}

} // namespace

TextExporter TextExporter::range(const ConsoleText &text, qint64 from, qint64 to)
{
    return TextExporter(text, Format::PlainText, from, to, {});
}

TextExporter TextExporter::whole(const ConsoleText &text, Format format, const LinePrefix &prefix)
{
    return TextExporter(text, format, 0, text.size(), prefix);
}

TextExporter::TextExporter(const ConsoleText &text, Format format, qint64 from, qint64 to, const LinePrefix &prefix)
    : m_text(&text)
    , m_format(format)
    , m_from(std::clamp<qint64>(from, 0, text.size()))
    , m_to(std::clamp<qint64>(to, m_from, text.size()))
    , m_prefix(prefix)
    , m_phase(Phase::Head)
    , m_position(m_from)
    , m_coloured(format == Format::Html && text.colours())
    , m_colours(m_coloured ? text.colours() : nullptr, m_from)
{
}

bool TextExporter::next(QByteArray *out, qint64 budget)
{
    const qint64 start = out->size();
    while (m_phase != Phase::Done && out->size() - start < budget) {
        switch (m_phase) {
        case Phase::Head:
            if (m_format == Format::Html)
                out->append(htmlHead(m_text->utf8()));
            m_phase = Phase::Body;
            break;
        case Phase::Body:
            if (m_position >= m_to) {
                closeSpan(out);
                m_phase = m_format == Format::Html ? Phase::Tail : Phase::Done;
            } else {
                const qint64 left = budget - (out->size() - start);
                if (m_format == Format::PlainText && !m_prefix)
                    rawStep(out, left);
                else if (m_format == Format::PlainText)
                    prefixedTextStep(out, left);
                else if (m_coloured)
                    colouredHtmlStep(out, left);
                else
                    plainHtmlStep(out, left);
            }
            break;
        case Phase::Tail:
            out->append(htmlTail);
            m_phase = Phase::Done;
            break;
        case Phase::Done:
            break;
        }
    }
    return m_phase != Phase::Done;
}

void TextExporter::rawStep(QByteArray *out, qint64 budget)
{
    qint64 available = 0;
    const char *in = m_text->piece(m_position, &available);
    const qint64 length = std::min({available, m_to - m_position, budget});
    out->append(in, int(length));
    m_position += length;
}

// A line, or what of it lies in one piece, after its prefix.
void TextExporter::prefixedTextStep(QByteArray *out, qint64 budget)
{
    qint64 available = 0;
    const char *in = m_text->piece(m_position, &available);
    available = std::min({available, m_to - m_position, budget});
    const void *lineBreak = std::memchr(in, '\n', size_t(available));
    const qint64 length = lineBreak ? static_cast<const char *>(lineBreak) - in + 1 : available;
    if (m_lineBegins)
        out->append(m_prefix(m_text->lineOf(m_position)));
    out->append(in, int(length));
    m_lineBegins = lineBreak != nullptr;
    m_position += length;
}

// Escaping makes the output up to six times the characters read.
void TextExporter::plainHtmlStep(QByteArray *out, qint64 budget)
{
    qint64 available = 0;
    const char *bytes = m_text->piece(m_position, &available);
    available = std::min({available, m_to - m_position, budget});
    out->reserve(int(out->size() + available + available / 8));
    // A line at a time: a prefix goes before each.
    for (qint64 j = 0; j < available;) {
        const void *lineBreak = std::memchr(bytes + j, '\n', size_t(available - j));
        const qint64 end = lineBreak ? static_cast<const char *>(lineBreak) - bytes + 1 : available;
        if (m_lineBegins && m_prefix)
            out->append(m_prefix(m_text->lineOf(m_position + j)));
        appendEscaped(out, bytes + j, end - j);
        m_lineBegins = bytes[end - 1] == '\n';
        j = end;
    }
    m_position += available;
}

// The text as drawn, each style a span and the colour sequences left out.
// A span is open only around text: a style changed twice in a row, or a
// line's prefix (its time), leave no empty or coloured span behind.
void TextExporter::colouredHtmlStep(QByteArray *out, qint64 budget)
{
    if (m_position == m_colours.nextHidden()) {
        m_position = m_colours.skip();
        closeSpan(out);
        return;
    }
    if (m_lineBegins && m_prefix) {
        closeSpan(out);
        out->append(m_prefix(m_text->lineOf(m_position)));
    }
    if (!m_inSpan && !m_colours.style().isPlain()) {
        out->append(spanOf(m_colours.style()));
        m_inSpan = true;
    }
    qint64 available = 0;
    const char *bytes = m_text->piece(m_position, &available);
    qint64 count = std::min({available, m_colours.nextHidden() - m_position, m_to - m_position, budget});
    if (m_prefix) {
        if (const void *lineBreak = std::memchr(bytes, '\n', size_t(count)))
            count = static_cast<const char *>(lineBreak) - bytes + 1;
    }
    m_lineBegins = bytes[count - 1] == '\n';
    appendEscaped(out, bytes, count);
    m_position += count;
}

void TextExporter::closeSpan(QByteArray *out)
{
    if (m_inSpan)
        out->append("</span>");
    m_inSpan = false;
}
