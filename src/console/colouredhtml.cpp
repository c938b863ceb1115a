#include "colouredhtml.h"

#include "colourruns.h"
#include "consoletext.h"
#include "stylecursor.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

QByteArray cssColour(quint32 colour)
{
    return '#' + QByteArray::number(colour & 0xffffff, 16).rightJustified(6, '0');
}

QByteArray spanOf(const TextStyle &style)
{
    QByteArray css;
    if (style.foreground)
        css += "color:" + cssColour(style.foreground) + ';';
    if (style.background)
        css += "background-color:" + cssColour(style.background) + ';';
    if (style.bold)
        css += "font-weight:bold;";
    return "<span style=\"" + css + "\">";
}

void appendEscaped(QByteArray *out, const char *bytes, qint64 count)
{
    for (qint64 i = 0; i < count; ++i) {
        switch (bytes[i]) {
        case '&': *out += "&amp;"; break;
        case '<': *out += "&lt;"; break;
        case '>': *out += "&gt;"; break;
        case '"': *out += "&quot;"; break;
        default: *out += bytes[i];
        }
    }
}

} // namespace

bool ColouredHtml::writeBody(const ConsoleText &text, QIODevice *device, const ConsoleText::LinePrefix &prefix)
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
        qint64 count = std::min({available, colours.nextHidden() - position, qint64(1) << 20});
        if (prefix) {
            if (const void *lineBreak = std::memchr(bytes, '\n', size_t(count)))
                count = static_cast<const char *>(lineBreak) - bytes + 1;
        }
        lineBegins = bytes[count - 1] == '\n';
        appendEscaped(&out, bytes, count);
        position += count;
        if (out.size() >= (1 << 20) && !flush())
            return false;
    }
    closeSpan();
    return flush();
}
