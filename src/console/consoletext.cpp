#include "consoletext.h"

#include "chunkmemory.h"
#include "colourruns.h"
#include "receivedtext.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(textLog, "tarnterm.console")

constexpr qint64 firstChunkSize = 4096;

// Bytes that end a run of plain characters; while UTF-8 is on, the first
// byte over 0x7f of a line too, so that the line is flagged.
struct SpecialBytes
{
    bool table[256] = {};
    explicit SpecialBytes(bool high)
    {
        table[uchar('\r')] = table[uchar('\n')] = table[uchar('\t')] = true;
        for (int c = 0x80; high && c < 0x100; ++c)
            table[c] = true;
    }
};
const SpecialBytes special(false);
const SpecialBytes specialOrHigh(true);

} // namespace

ConsoleText::Chunk::Chunk(qint64 size)
    : data(allocateChunk(size_t(size)))
    , capacity(size)
{
}

ConsoleText::Chunk::~Chunk()
{
    if (data)
        freeChunk(data, size_t(capacity));
}

ConsoleText::Chunk::Chunk(Chunk &&other) noexcept
{
    *this = std::move(other);
}

ConsoleText::Chunk &ConsoleText::Chunk::operator=(Chunk &&other) noexcept
{
    std::swap(data, other.data);
    std::swap(capacity, other.capacity);
    std::swap(fill, other.fill);
    std::swap(lines, other.lines);
    return *this;
}

ConsoleText::ConsoleText(qint64 chunkSize)
    : m_chunkSize(std::clamp<qint64>(chunkSize, 16, maxChunkSize))
{
    clear();
}

ConsoleText::~ConsoleText() = default;

void ConsoleText::clear()
{
    if (m_size > 0)
        m_rewrittenFrom = 0;
    const bool large = m_chunks.size() > 1;
    std::vector<Chunk>().swap(m_chunks);
    m_chunks.emplace_back(std::min(firstChunkSize, m_chunkSize));
    m_chunks.front().lines.push_back(0);
    m_chunkStart.assign(1, 0);
    m_chunkFirstLine.assign(1, 0);
    m_chunkStart.shrink_to_fit();
    m_chunkFirstLine.shrink_to_fit();
    m_hint = 0;
    m_size = 0;
    m_lineCount = 1;
    std::vector<Mark>().swap(m_marks);
    m_times.clear();
    m_changes = Changes();
    m_crOpen = false;
    if (m_colours)
        m_colours->clear();
    if (large)
        releaseFreedMemory();
}

void ConsoleText::tailChanged(qint64 line, qint64 offset)
{
    if (line < m_changes.tailLine || (line == m_changes.tailLine && offset < m_changes.tailOffset)) {
        m_changes.tailLine = line;
        m_changes.tailOffset = offset;
    }
}

qint64 ConsoleText::firstChangedLine() const
{
    return m_changes.removal ? std::min(m_changes.tailLine, m_changes.removedLine) : m_changes.tailLine;
}

std::optional<qint64> ConsoleText::takeRewrite()
{
    const qint64 from = std::exchange(m_rewrittenFrom, std::numeric_limits<qint64>::max());
    if (from == std::numeric_limits<qint64>::max())
        return std::nullopt;
    return from;
}

void ConsoleText::markSeen()
{
    m_changes = Changes();
    m_changes.tailLine = m_lineCount;
}

qint64 ConsoleText::append(const QByteArray &batch)
{
    return append(batch, QDateTime::currentMSecsSinceEpoch());
}

qint64 ConsoleText::append(const QByteArray &batch, qint64 arrival)
{
    const ReceivedText received = ReceivedText::fromBatch(batch, m_crOpen, m_utf8);
    // Backspaces never reach back past a mark.
    const qint64 floor = m_marks.empty() ? 0 : m_marks.back().position;
    for (int i = 0; i < received.screenErasures && m_size > floor; ++i) {
        // In UTF-8 the whole character goes, but never past the mark.
        const qint64 character = m_utf8 ? std::max(floor, characterBefore(m_size)) : m_size - 1;
        while (m_size > character)
            popChar();
    }
    const qint64 changedFrom = m_size;
    m_crOpen = received.crOpen;
    if (!received.bytes.isEmpty()) {
        tailChanged(m_lineCount - 1, lineLength(m_lineCount - 1));
        const qint64 sizeBefore = m_size;
        const qint64 lastLine = m_lineCount - 1;
        appendShown(received.bytes.constData(), received.bytes.size());
        stampStartedLines(lastLine, sizeBefore, arrival);
    }
    if (m_colours)
        coloursChanged(changedFrom);
    return changedFrom;
}

// Every line a batch started shares its time, so the first one is the only
// one that may need an entry.
void ConsoleText::stampStartedLines(qint64 lastLine, qint64 sizeBefore, qint64 arrival)
{
    const qint64 firstStarted = lineStart(lastLine) == sizeBefore ? lastLine : lastLine + 1;
    if (firstStarted < m_lineCount && lineStart(firstStarted) < m_size)
        m_times.stamp(lineStart(firstStarted), arrival);
}

// CR LF, a lone CR and a lone LF each become one '\n'.
void ConsoleText::appendShown(const char *bytes, qint64 count)
{
    // Once the line is flagged, its high bytes are plain again.
    const auto tableFor = [this] {
        return m_utf8 && !(lastEntry() & highFlag) ? specialOrHigh.table : special.table;
    };
    const bool *stops = tableFor();
    qint64 i = 0;
    while (i < count) {
        if (m_chunks.back().fill == m_chunks.back().capacity) {
            if (m_chunks.size() == 1 && m_chunks.back().capacity < m_chunkSize)
                growFirstChunk();
            else
                newChunk();
        }
        Chunk &chunk = m_chunks.back();
        char *out = chunk.data + chunk.fill;
        const qint64 limit = i + std::min(count - i, chunk.capacity - chunk.fill);
        qint64 written = 0;
        bool tabbed = false;
        while (i < limit) {
            qint64 end = i;
            while (end < limit && !stops[uchar(bytes[end])])
                ++end;
            std::memcpy(out + written, bytes + i, size_t(end - i));
            written += end - i;
            i = end;
            if (i == limit)
                break;
            const char c = bytes[i++];
            if (uchar(c) >= 0x80) {
                lastEntry() |= highFlag;
                stops = special.table;
                out[written++] = c;
                continue;
            }
            if (c == '\t') {
                if (!tabbed)
                    lastEntry() |= tabFlag;
                tabbed = true;
                out[written++] = c;
                continue;
            }
            // A CR LF pair is one break (counted as taking the CR's room).
            if (c == '\r' && i < count && bytes[i] == '\n')
                ++i;
            out[written++] = '\n';
            chunk.lines.push_back(quint32(chunk.fill + written));
            ++m_lineCount;
            tabbed = false;
            stops = tableFor();
        }
        chunk.fill += written;
        m_size += written;
    }
}

void ConsoleText::newChunk()
{
    Chunk &last = m_chunks.back();
    // A full chunk's line index no longer grows.
    last.lines.shrink_to_fit();
    m_chunkStart.push_back(m_chunkStart.back() + last.fill);
    m_chunkFirstLine.push_back(m_chunkFirstLine.back() + qint64(last.lines.size()));
    m_chunks.emplace_back(m_chunkSize);
}

// A short text starts in a small first chunk that doubles up to the full
// size, so a console holding a few lines does not take a whole chunk.
void ConsoleText::growFirstChunk()
{
    Chunk &first = m_chunks.front();
    Chunk grown(std::min(m_chunkSize, 2 * first.capacity));
    std::memcpy(grown.data, first.data, size_t(first.fill));
    grown.fill = first.fill;
    grown.lines = std::move(first.lines);
    first = std::move(grown);
}

quint32 &ConsoleText::lastEntry()
{
    auto chunk = m_chunks.end() - 1;
    while (chunk->lines.empty())
        --chunk;
    return chunk->lines.back();
}

// The last character is in the last chunk that holds any, and a line
// start is kept in the chunk holding the break before it.
void ConsoleText::popChar()
{
    while (m_chunks.size() > 1 && m_chunks.back().fill == 0 && m_chunks.back().lines.empty()) {
        m_chunks.pop_back();
        m_chunkStart.pop_back();
        m_chunkFirstLine.pop_back();
    }
    m_hint = 0;
    Chunk &chunk = m_chunks.back();
    --m_size;
    m_rewrittenFrom = std::min(m_rewrittenFrom, m_size);
    m_times.truncate(m_size);
    if (chunk.data[--chunk.fill] == '\n') {
        chunk.lines.pop_back();
        --m_lineCount;
    }
    if (chunk.fill == 0 && chunk.lines.empty() && m_chunks.size() > 1) {
        m_chunks.pop_back();
        m_chunkStart.pop_back();
        m_chunkFirstLine.pop_back();
    }
    tailChanged(m_lineCount - 1, lineLength(m_lineCount - 1));
}

// Line entries ordered by their offsets, the flags aside.
bool ConsoleText::offsetAfter(qint64 offset, quint32 entry)
{
    return offset < qint64(entry & offsetMask);
}

void ConsoleText::rebuildIndex(size_t fromChunk)
{
    m_chunkStart.resize(m_chunks.size());
    m_chunkFirstLine.resize(m_chunks.size());
    m_chunkStart[0] = m_chunkFirstLine[0] = 0;
    for (size_t c = std::max<size_t>(1, fromChunk); c < m_chunks.size(); ++c) {
        m_chunkStart[c] = m_chunkStart[c - 1] + m_chunks[c - 1].fill;
        m_chunkFirstLine[c] = m_chunkFirstLine[c - 1] + qint64(m_chunks[c - 1].lines.size());
    }
    m_hint = 0;
}

// The last chunk starting at or before the position. Layouts and painting
// walk the text in order, so the chunk asked for last is tried first.
size_t ConsoleText::chunkOfPosition(qint64 position) const
{
    const size_t h = m_hint;
    if (h < m_chunkStart.size() && m_chunkStart[h] <= position
        && (h + 1 == m_chunkStart.size() || m_chunkStart[h + 1] > position))
        return h;
    const auto next = std::upper_bound(m_chunkStart.begin(), m_chunkStart.end(), position);
    m_hint = size_t(next - m_chunkStart.begin()) - 1;
    return m_hint;
}

size_t ConsoleText::chunkOfLine(qint64 line) const
{
    const size_t h = m_hint;
    if (h < m_chunkFirstLine.size() && m_chunkFirstLine[h] <= line
        && line - m_chunkFirstLine[h] < qint64(m_chunks[h].lines.size()))
        return h;
    const auto next = std::upper_bound(m_chunkFirstLine.begin(), m_chunkFirstLine.end(), line);
    m_hint = size_t(next - m_chunkFirstLine.begin()) - 1;
    return m_hint;
}

quint32 ConsoleText::entry(qint64 line) const
{
    const size_t c = chunkOfLine(line);
    return m_chunks[c].lines[size_t(line - m_chunkFirstLine[c])];
}

void ConsoleText::setEntryFlags(qint64 line, quint32 flags)
{
    const size_t c = chunkOfLine(line);
    m_chunks[c].lines[size_t(line - m_chunkFirstLine[c])] |= flags;
}

qint64 ConsoleText::lineStart(qint64 line) const
{
    const size_t c = chunkOfLine(line);
    return m_chunkStart[c] + (m_chunks[c].lines[size_t(line - m_chunkFirstLine[c])] & offsetMask);
}

qint64 ConsoleText::lineLength(qint64 line) const
{
    if (line + 1 >= m_lineCount)
        return m_size - lineStart(line);
    const qint64 start = lineStart(line);
    const quint32 next = entry(line + 1);
    const size_t c = chunkOfLine(line + 1);
    const qint64 end = m_chunkStart[c] + (next & offsetMask);
    return end - start - (next & softFlag ? 0 : 1);
}

ConsoleText::LineInfo ConsoleText::lineInfo(qint64 line) const
{
    const size_t c = chunkOfLine(line);
    const std::vector<quint32> &lines = m_chunks[c].lines;
    const size_t i = size_t(line - m_chunkFirstLine[c]);
    const quint32 entry = lines[i];
    LineInfo info;
    info.start = m_chunkStart[c] + (entry & offsetMask);
    info.hasTab = entry & tabFlag;
    info.hasHighBytes = entry & highFlag;
    info.marked = entry & markFlag;
    if (line + 1 >= m_lineCount) {
        info.length = m_size - info.start;
        return info;
    }
    size_t nextChunk = c;
    size_t next = i + 1;
    if (next == lines.size()) {
        nextChunk = chunkOfLine(line + 1);
        next = size_t(line + 1 - m_chunkFirstLine[nextChunk]);
    }
    const quint32 nextEntry = m_chunks[nextChunk].lines[next];
    const qint64 end = m_chunkStart[nextChunk] + (nextEntry & offsetMask) - (nextEntry & softFlag ? 0 : 1);
    info.length = end - info.start;
    return info;
}

qint64 ConsoleText::lineOf(qint64 position) const
{
    const size_t c = chunkOfPosition(position);
    const std::vector<quint32> &lines = m_chunks[c].lines;
    const auto next = std::upper_bound(lines.begin(), lines.end(), position - m_chunkStart[c], offsetAfter);
    return m_chunkFirstLine[c] + qint64(next - lines.begin()) - 1;
}

char ConsoleText::at(qint64 position) const
{
    const size_t c = chunkOfPosition(position);
    return m_chunks[c].data[position - m_chunkStart[c]];
}

const char *ConsoleText::piece(qint64 position, qint64 *available) const
{
    const size_t c = chunkOfPosition(position);
    const qint64 offset = position - m_chunkStart[c];
    *available = m_chunks[c].fill - offset;
    return m_chunks[c].data + offset;
}

QByteArray ConsoleText::mid(qint64 from, qint64 count) const
{
    QByteArray bytes;
    from = std::clamp<qint64>(from, 0, m_size);
    count = std::min(count, m_size - from);
    if (count <= 0)
        return bytes;
    if (count > maxArraySize) {
        qCWarning(textLog) << "refused to copy" << count << "characters at once";
        return bytes;
    }
    bytes.resize(int(count));
    char *out = bytes.data();
    while (count > 0) {
        qint64 available = 0;
        const char *in = piece(from, &available);
        const qint64 length = std::min(count, available);
        std::memcpy(out, in, size_t(length));
        out += length;
        from += length;
        count -= length;
    }
    return bytes;
}
