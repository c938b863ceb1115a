#pragma once

#include "textexporter.h"

#include <QString>

class ConsoleText;
class QIODevice;

// The console's text written out as plain text or HTML, over the store's
// read interface: a capture, a saved selection, a copy. With device colours
// on, the HTML draws each style as a span and leaves the sequences out.
namespace ConsoleExport {

using LinePrefix = TextExporter::LinePrefix;

// Empty past ConsoleText::maxArraySize characters.
QString toPlainText(const ConsoleText &text);
QString toHtml(const ConsoleText &text);

// All write a megabyte at a time (TextExporter produces it) and return false when a write fails.
bool writePlainText(const ConsoleText &text, QIODevice *device);
bool writePlainText(const ConsoleText &text, QIODevice *device, qint64 from, qint64 to);
bool writePlainText(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix);
bool writeHtml(const ConsoleText &text, QIODevice *device, const LinePrefix &prefix = {});

} // namespace ConsoleExport
