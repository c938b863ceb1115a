#include "consoleexport.h"

#include "consoletext.h"
#include "stylecursor.h"

#include <QBuffer>
#include <QIODevice>
#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

namespace {

Q_LOGGING_CATEGORY(exportLog, "tarnterm.console")

constexpr qint64 flushSize = qint64(1) << 20;

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

void appendEscaped(QByteArray *out, char c)
{
    switch (c) {
    case '&': *out += "&amp;"; break;
    case '<': *out += "&lt;"; break;
    case '>': *out += "&gt;"; break;
    case '"': *out += "&quot;"; break;
    default: *out += c;
    }
}

// The body of an HTML capture with device colours on: the text as drawn,
// each style a span and the colour sequences left out. Written a piece of a
// chunk at a time; each line starts with its prefix when one is given.
bool writeColouredBody(const ConsoleText &text, QIODevice *device, const ConsoleExport::LinePrefix &prefix)
{
    StyleCursor colours(text.colours(), 0);
    // A span is open only around text: a style changed twice in a row, or
    // a line's prefix (its time), leave no empty or coloured span behind.
    bool inSpan = false;
    bool lineBegins = true;
    QByteArray out;
    qint64 position = 0;
    const auto flush = [&] {
        const bool written = device->write(out) == out.size();
        out.clear();
        return written;
    };
    const auto closeSpan = [&] {
        if (inSpan)
            out += "</span>";
        inSpan = false;
    };
    while (position < text.size()) {
        if (position == colours.nextHidden()) {
            position = colours.skip();
            closeSpan();
            continue;
        }
        if (lineBegins && prefix) {
            closeSpan();
            out += prefix(text.lineOf(position));
        }
        if (!inSpan && !colours.style().isPlain()) {
            out += spanOf(colours.style());
            inSpan = true;
        }
        qint64 available = 0;
        const char *bytes = text.piece(position, &available);
        qint64 count = std::min({available, colours.nextHidden() - position, flushSize});
        if (prefix) {
            if (const void *lineBreak = std::memchr(bytes, '\n', size_t(count)))
                count = static_cast<const char *>(lineBreak) - bytes + 1;
        }
        lineBegins = bytes[count - 1] == '\n';
        for (qint64 i = 0; i < count; ++i)
            appendEscaped(&out, bytes[i]);
        position += count;
        if (out.size() >= flushSize && !flush())
            return false;
    }
    closeSpan();
    return flush();
}

// Escaped and written a chunk at a time.
bool writePlainBody(const ConsoleText &text, QIODevice *device, const ConsoleExport::LinePrefix &prefix)
{
    QByteArray escaped;
    bool lineBegins = true;
    for (qint64 position = 0, available = 0; position < text.size(); position += available) {
        const char *bytes = text.piece(position, &available);
        escaped.clear();
        // A piece is at most a chunk, well inside a QByteArray.
        escaped.reserve(int(available + available / 8));
        for (qint64 j = 0; j < available; ++j) {
            if (lineBegins && prefix)
                escaped += prefix(text.lineOf(position + j));
            lineBegins = bytes[j] == '\n';
            appendEscaped(&escaped, bytes[j]);
        }
        if (device->write(escaped) != escaped.size())
            return false;
    }
    return true;
}

} // namespace

namespace ConsoleExport {

QString toPlainText(const ConsoleText &text)
{
    if (text.size() > ConsoleText::maxArraySize) {
        qCWarning(exportLog) << "text of" << text.size() << "characters too long for one string";
        return QString();
    }
    return QString::fromLatin1(text.mid(0, text.size()));
}

QString toHtml(const ConsoleText &text)
{
    QByteArray html;
    QBuffer buffer(&html);
    buffer.open(QIODevice::WriteOnly);
    writeHtml(text, &buffer);
    return QString::fromLatin1(html);
}

bool writePlainText(const ConsoleText &text, QIODevice *device)
{
    return writePlainText(text, device, 0, text.size());
}

bool writePlainText(const ConsoleText &text, QIODevice *device, qint64 from, qint64 to)
{
    from = std::clamp<qint64>(from, 0, text.size());
    to = std::clamp<qint64>(to, from, text.size());
    while (from < to) {
        qint64 available = 0;
        const char *in = text.piece(from, &available);
        const qint64 length = std::min(to - from, available);
        if (device->write(in, length) != length)
            return false;
        from += length;
    }
    return true;
}

// Buffered, since a prefix is a write of its own for every line.
bool writePlainText(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix)
{
    QByteArray out;
    const auto flush = [&] {
        const bool written = device->write(out) == out.size();
        out.clear();
        return written;
    };
    qint64 position = 0;
    bool lineBegins = true;
    while (position < text.size()) {
        qint64 available = 0;
        const char *in = text.piece(position, &available);
        const void *lineBreak = std::memchr(in, '\n', size_t(available));
        const qint64 length = lineBreak ? static_cast<const char *>(lineBreak) - in + 1 : available;
        if (lineBegins)
            out += prefix(text.lineOf(position));
        if (out.size() + length > flushSize) {
            if (!flush() || device->write(in, length) != length)
                return false;
        } else {
            out.append(in, int(length));
        }
        lineBegins = lineBreak != nullptr;
        position += length;
    }
    return flush();
}

bool writeHtml(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix)
{
    // The newline after <pre> is dropped by every reader, so a text that
    // starts with a line break keeps it.
    static const char head[] =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<title>Capture</title></head><body>\n<pre>\n";
    static const char tail[] = "</pre>\n</body></html>\n";
    if (device->write(head) != qint64(sizeof head - 1))
        return false;
    const bool body = text.colours() ? writeColouredBody(text, device, prefix) : writePlainBody(text, device, prefix);
    return body && device->write(tail) == qint64(sizeof tail - 1);
}

} // namespace ConsoleExport
