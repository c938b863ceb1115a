#include "consoletext.h"

#include "receivedtext.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

ConsoleText::ConsoleText()
{
    clear();
}

ConsoleText::~ConsoleText() = default;

void ConsoleText::clear()
{
    m_chunks.clear();
    m_chunks.emplace_back(static_cast<char *>(std::malloc(size_t(firstChunkStart))));
    if (!m_chunks.front())
        throw std::bad_alloc();
    m_firstChunkCapacity = firstChunkStart;
    m_size = 0;
    m_lineStarts.assign(1, 0);
    m_tabLines.assign(1, false);
    m_firstChangedLine = 0;
    m_crOpen = false;
}

void ConsoleText::changed(qint64 line)
{
    m_firstChangedLine = std::min(m_firstChangedLine, line);
}

void ConsoleText::append(const QByteArray &batch)
{
    const ReceivedText received = ReceivedText::fromBatch(batch, m_crOpen);
    for (int i = 0; i < received.screenErasures && m_size > 0; ++i)
        popChar();
    m_crOpen = received.crOpen;
    if (!received.bytes.isEmpty()) {
        changed(lineCount() - 1);
        appendShown(received.bytes.constData(), received.bytes.size());
    }
}

namespace {

// Bytes that end a run of plain characters.
struct SpecialBytes
{
    bool table[256] = {};
    SpecialBytes() { table[uchar('\r')] = table[uchar('\n')] = table[uchar('\t')] = true; }
};
const SpecialBytes special;

} // namespace

// CR LF, a lone CR and a lone LF each become one '\n'.
void ConsoleText::appendShown(const char *bytes, qint64 count)
{
    qint64 i = 0;
    while (i < count) {
        const qint64 offset = m_size & chunkMask;
        if (size_t(m_size >> chunkBits) == m_chunks.size())
            m_chunks.emplace_back(allocateChunk(size_t(chunkSize)));
        else if (m_chunks.size() == 1 && m_size == m_firstChunkCapacity)
            growFirstChunk();
        const qint64 capacity = m_chunks.size() == 1 ? m_firstChunkCapacity : chunkSize;
        char *out = m_chunks.back().get() + offset;
        const qint64 limit = i + std::min(count - i, capacity - offset);
        qint64 written = 0;
        while (i < limit) {
            qint64 end = i;
            while (end < limit && !special.table[uchar(bytes[end])])
                ++end;
            std::memcpy(out + written, bytes + i, size_t(end - i));
            written += end - i;
            i = end;
            if (i == limit)
                break;
            const char c = bytes[i++];
            if (c == '\t') {
                m_tabLines.back() = true;
                out[written++] = c;
                continue;
            }
            // A CR LF pair is one break (counted as taking the CR's room).
            if (c == '\r' && i < count && bytes[i] == '\n')
                ++i;
            out[written++] = '\n';
            m_lineStarts.push_back(m_size + written);
            m_tabLines.push_back(false);
        }
        m_size += written;
    }
}

// A short text starts in a small first chunk that doubles up to the full
// size, so a console holding a few lines does not take a whole chunk.
void ConsoleText::growFirstChunk()
{
    const qint64 capacity = std::min(chunkSize, 2 * m_firstChunkCapacity);
    char *grown = static_cast<char *>(std::realloc(m_chunks.front().get(), size_t(capacity)));
    if (!grown)
        throw std::bad_alloc();
    m_chunks.front().release();
    m_chunks.front().reset(grown);
    m_firstChunkCapacity = capacity;
}

void ConsoleText::popChar()
{
    const char c = at(m_size - 1);
    --m_size;
    if ((m_size & chunkMask) == 0 && m_chunks.size() > 1)
        m_chunks.pop_back();
    if (c == '\n') {
        m_lineStarts.pop_back();
        m_tabLines.pop_back();
    }
    changed(lineCount() - 1);
}

void ConsoleText::remove(qint64 from, qint64 to)
{
    from = std::clamp<qint64>(from, 0, m_size);
    to = std::clamp<qint64>(to, from, m_size);
    if (from == to)
        return;
    const QByteArray tail = mid(to, m_size - to);
    changed(lineOf(from));
    m_size = from;
    m_chunks.resize(std::max<size_t>(1, size_t((m_size + chunkMask) >> chunkBits)));
    while (m_lineStarts.back() > from) {
        m_lineStarts.pop_back();
        m_tabLines.pop_back();
    }
    // The line now holding `from` may have lost its tabs; keeping the mark
    // only costs a slower wrap.
    appendShown(tail.constData(), tail.size());
    m_crOpen = false;
}

qint64 ConsoleText::lineLength(qint64 line) const
{
    const qint64 end = line + 1 < lineCount() ? lineStart(line + 1) - 1 : m_size;
    return end - lineStart(line);
}

qint64 ConsoleText::lineOf(qint64 position) const
{
    const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return qint64(next - m_lineStarts.begin()) - 1;
}

QByteArray ConsoleText::mid(qint64 from, qint64 count) const
{
    QByteArray bytes;
    count = std::min(count, m_size - from);
    if (count <= 0)
        return bytes;
    bytes.resize(int(count));
    char *out = bytes.data();
    while (count > 0) {
        const qint64 offset = from & chunkMask;
        const qint64 piece = std::min(count, chunkSize - offset);
        std::copy_n(m_chunks[size_t(from >> chunkBits)].get() + offset, piece, out);
        out += piece;
        from += piece;
        count -= piece;
    }
    return bytes;
}

QString ConsoleText::toPlainText() const
{
    return QString::fromLatin1(mid(0, m_size));
}

bool ConsoleText::writePlainText(QIODevice *device) const
{
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        const qint64 length = std::min(chunkSize, m_size - qint64(i) * chunkSize);
        if (device->write(m_chunks[i].get(), length) != length)
            return false;
    }
    return true;
}

bool ConsoleText::writeHtml(QIODevice *device) const
{
    // The newline after <pre> is dropped by every reader, so a text that
    // starts with a line break keeps it.
    static const char head[] =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<title>Capture</title></head><body>\n<pre>\n";
    static const char tail[] = "</pre>\n</body></html>\n";
    if (device->write(head) != qint64(sizeof head - 1))
        return false;
    QByteArray escaped;
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        const qint64 length = std::min(chunkSize, m_size - qint64(i) * chunkSize);
        const char *bytes = m_chunks[i].get();
        escaped.clear();
        escaped.reserve(int(length + length / 8));
        for (qint64 j = 0; j < length; ++j) {
            switch (bytes[j]) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += bytes[j];
            }
        }
        if (device->write(escaped) != escaped.size())
            return false;
    }
    return device->write(tail) == qint64(sizeof tail - 1);
}

QString ConsoleText::toHtml() const
{
    QByteArray html;
    QBuffer buffer(&html);
    buffer.open(QIODevice::WriteOnly);
    writeHtml(&buffer);
    return QString::fromLatin1(html);
}
