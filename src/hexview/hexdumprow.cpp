#include "hexdumprow.h"

#include <QByteArray>

#include <algorithm>

int hexDumpAddressDigits(qint64 lastAddress)
{
    int digits = 8;
    while (digits < 16 && (quint64(lastAddress) >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

QString hexDumpRow(qint64 address, const char *bytes, int count, int addressDigits)
{
    static const char digits[] = "0123456789abcdef";

    QByteArray row;
    const int width = std::max(addressDigits, hexDumpAddressDigits(address));
    row.reserve(hexDumpRowLength - 8 + width);
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4)
        row += digits[(quint64(address) >> shift) & 0xf];
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
