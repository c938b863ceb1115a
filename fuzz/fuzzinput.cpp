#include "fuzzinput.h"

#include <algorithm>

FuzzInput::FuzzInput(const uint8_t *data, size_t size)
    : m_data(data)
    , m_size(size)
{
}

quint8 FuzzInput::takeByte()
{
    return atEnd() ? 0 : m_data[m_position++];
}

qint32 FuzzInput::takeInt32()
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | takeByte();
    return qint32(value);
}

QByteArray FuzzInput::takeBytes(int count)
{
    const size_t available = atEnd() ? 0 : m_size - m_position;
    const size_t taken = std::min(available, size_t(std::max(count, 0)));
    const QByteArray bytes(reinterpret_cast<const char *>(m_data + m_position), int(taken));
    m_position += taken;
    return bytes;
}
