#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Reads a fuzzer's input front to back as the choices of one run. Past the
// end every read yields zeros, so a short input is still a whole run.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size);

    bool atEnd() const { return m_position >= m_size; }
    quint8 takeByte();
    qint32 takeInt32();
    // Up to count bytes; fewer when the input runs out.
    QByteArray takeBytes(int count);

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_position = 0;
};
