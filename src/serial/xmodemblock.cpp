#include "xmodemblock.h"

namespace XmodemBlock {

quint16 crc16(const char *data, int size)
{
    quint16 crc = 0;
    for (int i = 0; i < size; ++i) {
        crc ^= quint16(quint8(data[i])) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

quint8 checksum(const char *data, int size)
{
    quint8 sum = 0;
    for (int i = 0; i < size; ++i)
        sum = quint8(sum + quint8(data[i]));
    return sum;
}

QByteArray frame(int number, const QByteArray &data, bool crc, char pad)
{
    const int size = data.size() <= smallSize ? smallSize : largeSize;
    QByteArray block;
    block.reserve(3 + size + 2);
    block.append(size == smallSize ? SOH : STX);
    block.append(char(number & 0xFF));
    block.append(char(~number & 0xFF));
    block.append(data.left(size));
    block.append(size - qMin(size, int(data.size())), pad);
    const char *payload = block.constData() + 3;
    if (crc) {
        const quint16 check = crc16(payload, size);
        block.append(char(check >> 8));
        block.append(char(check & 0xFF));
    } else {
        block.append(char(checksum(payload, size)));
    }
    return block;
}

QByteArray ymodemHeader(const QByteArray &name, qint64 size)
{
    if (name.isEmpty())
        return QByteArray();
    QByteArray header = name;
    header.append('\0');
    header.append(QByteArray::number(size));
    return header;
}

} // namespace XmodemBlock
