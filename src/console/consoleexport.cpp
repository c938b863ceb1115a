#include "consoleexport.h"

#include "consoletext.h"
#include "utf8decoder.h"

#include <QBuffer>
#include <QIODevice>
#include <QLoggingCategory>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(exportLog, "tarnterm.console")

constexpr qint64 flushSize = qint64(1) << 20;

// All of it at once, written a megabyte at a time through one buffer (a
// reserved QByteArray keeps its memory when resized to nothing).
bool writeAll(TextExporter exporter, QIODevice *device)
{
    QByteArray out;
    out.reserve(int(flushSize));
    bool more = true;
    while (more) {
        out.resize(0);
        more = exporter.next(&out, flushSize);
        if (device->write(out) != out.size())
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
    const QByteArray bytes = text.mid(0, text.size());
    return text.utf8() ? Utf8Decoder::toString(bytes.constData(), bytes.size()) : QString::fromLatin1(bytes);
}

QString toHtml(const ConsoleText &text)
{
    QByteArray html;
    QBuffer buffer(&html);
    buffer.open(QIODevice::WriteOnly);
    writeHtml(text, &buffer);
    return text.utf8() ? Utf8Decoder::toString(html.constData(), html.size()) : QString::fromLatin1(html);
}

bool writePlainText(const ConsoleText &text, QIODevice *device)
{
    return writePlainText(text, device, 0, text.size());
}

// Straight from the store's chunks, without a copy.
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

bool writePlainText(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix)
{
    return writeAll(TextExporter::whole(text, TextExporter::Format::PlainText, prefix), device);
}

bool writeHtml(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix)
{
    return writeAll(TextExporter::whole(text, TextExporter::Format::Html, prefix), device);
}

} // namespace ConsoleExport
