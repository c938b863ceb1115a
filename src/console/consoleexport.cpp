#include "consoleexport.h"

#include "consoletext.h"

#include <QBuffer>
#include <QIODevice>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(exportLog, "tarnterm.console")

constexpr qint64 flushSize = qint64(1) << 20;

// All of it at once, written a megabyte at a time.
bool writeAll(TextExporter exporter, QIODevice *device)
{
    QByteArray out;
    bool more = true;
    while (more) {
        out.clear();
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
    return writeAll(TextExporter::range(text, from, to), device);
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
