#include "hexdumprow.h"

#include <QByteArray>

QString hexDumpRow(quint32 address, const char *bytes, int count)
{
    static const char digits[] = "0123456789abcdef";

    QByteArray row;
    row.reserve(hexDumpRowLength);
    for (int shift = 28; shift >= 0; shift -= 4)
        row += digits[(address >> shift) & 0xf];
    row += "  ";
    for (int i = 0; i < hexDumpBytesPerRow; ++i) {
        if (i == hexDumpBytesPerRow / 2)
            row += ' ';
        if (i < count) {
            const auto byte = static_cast<uchar>(bytes[i]);
            row += digits[byte >> 4];
            row += digits[byte & 0xf];
        } else {
            row += "  ";
        }
        row += ' ';
    }
    row += ' ';
    for (int i = 0; i < count; ++i) {
        const auto byte = static_cast<uchar>(bytes[i]);
        row += (byte >= 0x20 && byte < 0x7f) ? char(byte) : '.';
    }
    return QString::fromLatin1(row);
}
