// ConsoleText's marks between sessions and the times its lines began.

#include "consoletext.h"

#include <algorithm>

// An unfinished line is ended with a real break: the next session's text
// is a line of its own in copies, captures and Find, as on screen, and
// gets a time of its own.
void ConsoleText::addMark(const QTime &time)
{
    const qint64 last = m_lineCount - 1;
    if (lineStart(last) < m_size) {
        const qint64 changedFrom = m_size;
        tailChanged(last, lineLength(last));
        appendShown("\n", 1);
        if (m_colours)
            coloursChanged(changedFrom);
    }
    setEntryFlags(m_lineCount - 1, markFlag);
    tailChanged(m_lineCount - 1, 0);
    m_marks.push_back({m_size, time});
    m_crOpen = false;
}

std::optional<qint64> ConsoleText::lineTime(qint64 line) const
{
    const qint64 start = lineStart(line);
    if (start >= m_size)
        return std::nullopt;
    return m_times.timeAt(start);
}

int ConsoleText::marksBefore(qint64 line) const
{
    if (!(entry(line) & markFlag))
        return 0;
    const qint64 start = lineStart(line);
    const auto [first, last] = std::equal_range(m_marks.begin(), m_marks.end(), Mark {start, QTime()},
                                                [](const Mark &a, const Mark &b) { return a.position < b.position; });
    return int(last - first);
}

QTime ConsoleText::markTime(qint64 line, int index) const
{
    const qint64 start = lineStart(line);
    const auto first = std::lower_bound(m_marks.begin(), m_marks.end(), start,
                                        [](const Mark &mark, qint64 position) { return mark.position < position; });
    return first[index].time;
}
