#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class ConsoleText;
class QIODevice;

// The console's text written out as plain text or HTML, over the store's
// read interface: a capture, a saved selection, a copy. With device colours
// on, the HTML draws each style as a span and leaves the sequences out.
namespace ConsoleExport {

// Written before each line of a capture, given the line; a line a Delete
// joined to a mark has no break in the text and gets none.
using LinePrefix = std::function<QByteArray(qint64 line)>;

// Empty past ConsoleText::maxArraySize characters.
QString toPlainText(const ConsoleText &text);
QString toHtml(const ConsoleText &text);

// All write a chunk at a time and return false when a write fails.
bool writePlainText(const ConsoleText &text, QIODevice *device);
bool writePlainText(const ConsoleText &text, QIODevice *device, qint64 from, qint64 to);
bool writePlainText(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix);
bool writeHtml(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix = {});

} // namespace ConsoleExport
