#pragma once

#include "keydispatch.h"

#include <QByteArray>
#include <QString>

// The rules that turn the send line's text into bytes for the device.
namespace SendLineText {

// In the order the ending box lists them; stored by this number.
enum class Ending { None, CR, LF, CRLF };

QByteArray endingBytes(Ending ending);

// Text mode: the line as a paste sends it (in Latin-1, characters above
// U+00FF become 0x00), then the ending.
QByteArray textBytes(const QString &line, Ending ending,
                     KeyDispatch::Encoding encoding = KeyDispatch::Encoding::Latin1);

struct HexResult
{
    QByteArray bytes;
    // Empty when the text was valid.
    QString error;
};

// Hex mode: pairs of hex digits in either case, with optional spaces
// between pairs ("48 65 0d 0A", "48650d0a"). No ending is added.
HexResult hexBytes(const QString &text);

} // namespace SendLineText
