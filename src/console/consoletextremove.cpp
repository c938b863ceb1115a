// ConsoleText's Delete and Cut: a range taken out of the middle of the
// store, at the cost of the chunks at its ends.

#include "consoletext.h"

#include "colourruns.h"
#include "receivedtext.h"

#include <algorithm>
#include <cstring>

// Works inside the chunks at either end of the range and drops the whole
// ones between: the cost is a chunk's, whatever lies after the range.
void ConsoleText::remove(qint64 from, qint64 to)
{
    from = std::clamp<qint64>(from, 0, m_size);
    to = std::clamp<qint64>(to, from, m_size);
    if (from == to)
        return;
    m_rewrittenFrom = std::min(m_rewrittenFrom, from);
    const bool clean = !m_changes.removal && m_changes.tailLine >= m_lineCount;
    m_hint = 0;
    const qint64 line = lineOf(from);
    const qint64 startOfLine = lineStart(line);
    const size_t a = chunkOfPosition(from);
    const size_t b = chunkOfPosition(to - 1);
    const qint64 removed = to - from;
    // What follows the range keeps its times: the rest of the line at `to`,
    // and the line after it.
    const qint64 toLine = lineOf(to);
    const std::optional<qint64> toTime = m_times.timeAt(lineStart(toLine));
    const qint64 nextStart = toLine + 1 < m_lineCount ? lineStart(toLine + 1) : -1;
    const std::optional<qint64> nextTime = nextStart >= 0 ? m_times.timeAt(nextStart) : std::nullopt;

    // Line starts in (from, to] go: their breaks are inside the range.
    qint64 removedStarts = 0;
    quint32 removedFlags = 0;
    const auto dropStarts = [&](std::vector<quint32> &lines, std::vector<quint32>::iterator first,
                                std::vector<quint32>::iterator last) {
        for (auto it = first; it != last; ++it)
            removedFlags |= *it;
        removedStarts += last - first;
        return lines.erase(first, last);
    };

    // A line start at `to` itself may open the next chunk (a mark's).
    if (b + 1 < m_chunks.size() && m_chunkStart[b + 1] == to) {
        std::vector<quint32> &lines = m_chunks[b + 1].lines;
        dropStarts(lines, lines.begin(), std::upper_bound(lines.begin(), lines.end(), 0, offsetAfter));
    }
    Chunk &first = m_chunks[a];
    const qint64 fromOffset = from - m_chunkStart[a];
    auto kept = std::upper_bound(first.lines.begin(), first.lines.end(), fromOffset, offsetAfter);
    if (a == b) {
        const qint64 toOffset = to - m_chunkStart[a];
        auto gone = std::upper_bound(kept, first.lines.end(), toOffset, offsetAfter);
        kept = dropStarts(first.lines, kept, gone);
        for (auto it = kept; it != first.lines.end(); ++it)
            *it -= quint32(removed);
        std::memmove(first.data + fromOffset, first.data + toOffset, size_t(first.fill - toOffset));
        first.fill -= removed;
    } else {
        kept = dropStarts(first.lines, kept, first.lines.end());
        first.fill = fromOffset;
        for (size_t c = a + 1; c < b; ++c)
            dropStarts(m_chunks[c].lines, m_chunks[c].lines.begin(), m_chunks[c].lines.end());
        Chunk &last = m_chunks[b];
        const qint64 toOffset = to - m_chunkStart[b];
        auto gone = std::upper_bound(last.lines.begin(), last.lines.end(), toOffset, offsetAfter);
        gone = dropStarts(last.lines, last.lines.begin(), gone);
        for (auto it = gone; it != last.lines.end(); ++it)
            *it -= quint32(toOffset);
        std::memmove(last.data, last.data + toOffset, size_t(last.fill - toOffset));
        last.fill -= toOffset;
    }

    // The line that now runs on past `from` takes the tabs and high bytes
    // of the line it was joined to; a mark that stood in the range moves to
    // `from`, which then starts a line.
    qint64 keptLines = 0;
    quint32 lineFlags = removedFlags & (tabFlag | highFlag);
    if (removedFlags & markFlag) {
        if (startOfLine == from) {
            lineFlags |= markFlag;
        } else {
            first.lines.insert(kept, quint32(fromOffset) | softFlag | markFlag | lineFlags);
            lineFlags = 0;
            keptLines = 1;
        }
    }
    m_times.remove(from, to);
    if (toTime && (startOfLine == from || (removedFlags & markFlag)))
        m_times.setAt(from, *toTime);
    if (nextTime)
        m_times.setAt(nextStart - removed, *nextTime);
    for (Mark &mark : m_marks) {
        if (mark.position > to)
            mark.position -= removed;
        else if (mark.position > from)
            mark.position = from;
    }

    m_chunks.erase(m_chunks.begin() + qint64(a) + 1, m_chunks.begin() + qint64(std::max(a + 1, b)));
    if (a + 1 < m_chunks.size() && m_chunks[a + 1].fill == 0 && m_chunks[a + 1].lines.empty())
        m_chunks.erase(m_chunks.begin() + qint64(a) + 1);
    m_size -= removed;
    m_lineCount -= removedStarts - keptLines;
    mergeChunks(a);
    if (a > 0)
        mergeChunks(a - 1);
    rebuildIndex(a > 0 ? a - 1 : 0);
    if (lineFlags)
        setEntryFlags(line, lineFlags);
    // The line at `from` is laid out again anyway.
    if (m_colours)
        m_colours->removed(*this, from, to);

    if (clean) {
        m_changes.removal = true;
        m_changes.removedLine = line;
        m_changes.removedStarts = removedStarts;
        m_changes.keptLines = keptLines;
        m_changes.tailLine = m_lineCount;
        m_changes.tailOffset = 0;
    } else {
        // Changes on top of changes: everything from the first is redone.
        const qint64 firstLine = std::min(firstChangedLine(), line);
        m_changes = Changes();
        m_changes.tailLine = firstLine;
    }
    m_crOpen = false;
}

// Joins a chunk and the next when both fit in one.
void ConsoleText::mergeChunks(size_t first)
{
    if (first + 1 >= m_chunks.size())
        return;
    Chunk &into = m_chunks[first];
    Chunk &next = m_chunks[first + 1];
    if (into.fill + next.fill > into.capacity)
        return;
    std::memcpy(into.data + into.fill, next.data, size_t(next.fill));
    for (quint32 line : next.lines)
        into.lines.push_back(line + quint32(into.fill));
    into.fill += next.fill;
    m_chunks.erase(m_chunks.begin() + qint64(first) + 1);
}
