// ConsoleText's part in line editing: the device rewrites the end of the
// last line, which costs what is rewritten, whatever lies above.

#include "consoletext.h"

#include "colourruns.h"

#include <algorithm>

void ConsoleText::rewriteLastLine(qint64 from, const char *bytes, qint64 count, qint64 arrival)
{
    const qint64 lastLine = m_lineCount - 1;
    const qint64 start = lineStart(lastLine);
    from = std::clamp(from, start, m_size);
    if (from == m_size && count == 0)
        return;
    const std::optional<qint64> time = start < m_size ? m_times.timeAt(start) : std::nullopt;
    if (from < m_size)
        m_rewrittenFrom = std::min(m_rewrittenFrom, from);
    truncateLastLine(from);
    tailChanged(lastLine, from - start);
    appendShown(bytes, count);
    // A line emptied and written again is still the line that began then.
    if (time && from == start && start < m_size)
        m_times.stamp(start, *time);
    stampStartedLines(lastLine, time ? -1 : start, arrival);
    m_crOpen = false;
    if (m_colours)
        coloursChanged(from);
}

// No break lies in [from, size): the bytes go from the last chunks, and a
// chunk left holding nothing goes with them.
void ConsoleText::truncateLastLine(qint64 from)
{
    size_t chunk = m_chunks.size();
    while (m_size > from && chunk > 0) {
        Chunk &c = m_chunks[--chunk];
        const qint64 taken = std::min(c.fill, m_size - from);
        c.fill -= taken;
        m_size -= taken;
    }
    while (m_chunks.size() > 1 && m_chunks.back().fill == 0 && m_chunks.back().lines.empty())
        m_chunks.pop_back();
    rebuildIndex(std::min(chunk, m_chunks.size() - 1));
    m_times.truncate(m_size);
}
