// ConsoleText's part in UTF-8: which lines hold bytes that make
// characters of several bytes, and reading characters across chunks.

#include "consoletext.h"

#include <algorithm>

void ConsoleText::setUtf8(bool on)
{
    if (on == m_utf8)
        return;
    m_utf8 = on;
    flagHighBytes();
    tailChanged(0, 0);
    if (m_size > 0)
        m_rewrittenFrom = 0;
}

// Every line's flag found again: a walk over the text, once per switch.
void ConsoleText::flagHighBytes()
{
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        Chunk &chunk = m_chunks[c];
        for (size_t i = 0; i < chunk.lines.size(); ++i) {
            chunk.lines[i] &= ~highFlag;
            if (!m_utf8)
                continue;
            const qint64 line = m_chunkFirstLine[c] + qint64(i);
            const qint64 start = m_chunkStart[c] + (chunk.lines[i] & offsetMask);
            qint64 position = start;
            const qint64 end = start + lineLength(line);
            bool high = false;
            while (position < end && !high) {
                qint64 available = 0;
                const char *bytes = piece(position, &available);
                const qint64 n = std::min(available, end - position);
                high = std::any_of(bytes, bytes + n, [](char b) { return uchar(b) >= 0x80; });
                position += n;
            }
            if (high)
                chunk.lines[i] |= highFlag;
        }
    }
}

Utf8Decoder::Decoded ConsoleText::characterAt(qint64 position) const
{
    char bytes[4];
    const int count = int(std::min<qint64>(4, m_size - position));
    for (int i = 0; i < count; ++i)
        bytes[i] = at(position + i);
    return Utf8Decoder::decode(bytes, count);
}

// Continuation bytes lead back to at most three bytes before; a lead there
// owns the position only if its sequence reaches it.
qint64 ConsoleText::characterBefore(qint64 position) const
{
    if (position <= 0)
        return 0;
    const qint64 previous = position - 1;
    for (qint64 lead = previous; lead >= std::max<qint64>(0, position - 4); --lead) {
        const uchar byte = uchar(at(lead));
        if ((byte & 0xc0) != 0x80) {
            const Utf8Decoder::Decoded decoded = characterAt(lead);
            return decoded.status == Utf8Decoder::Status::Valid && lead + decoded.length == position ? lead
                                                                                                      : previous;
        }
    }
    return previous;
}
