#include "linetimes.h"

#include <algorithm>

static_assert(sizeof(qint64) * 2 == LineTimes::entryBytes, "an entry is a position and a time");

std::deque<LineTimes::Entry>::const_iterator LineTimes::after(qint64 position) const
{
    return std::upper_bound(m_entries.begin(), m_entries.end(), position,
                            [](qint64 p, const Entry &entry) { return p < entry.position; });
}

void LineTimes::stamp(qint64 position, qint64 msecs)
{
    truncate(position);
    if (m_entries.empty() || m_entries.back().msecs != msecs)
        m_entries.push_back({position, msecs});
}

std::optional<qint64> LineTimes::timeAt(qint64 position) const
{
    const auto next = after(position);
    if (next == m_entries.begin())
        return std::nullopt;
    return std::prev(next)->msecs;
}

void LineTimes::truncate(qint64 size)
{
    while (!m_entries.empty() && m_entries.back().position >= size)
        m_entries.pop_back();
}

// The lines after the range may have taken their time from an entry inside
// it; that time then moves to `from` or just after it, where no other kept
// line starts.
void LineTimes::remove(qint64 from, qint64 to, bool lineStartsAtFrom)
{
    if (to <= from)
        return;
    const std::optional<qint64> atTo = timeAt(to);
    const auto first = m_entries.begin() + (after(from) - m_entries.cbegin());
    const auto last = m_entries.begin() + (after(to) - m_entries.cbegin());
    const auto kept = m_entries.erase(first, last);
    for (auto it = kept; it != m_entries.end(); ++it)
        it->position -= to - from;
    if (!atTo || timeAt(from) == atTo)
        return;
    if (lineStartsAtFrom) {
        if (kept != m_entries.begin() && std::prev(kept)->position == from)
            std::prev(kept)->msecs = *atTo;
        else
            m_entries.insert(kept, {from, *atTo});
    } else if (kept == m_entries.end() || kept->position != from + 1) {
        m_entries.insert(kept, {from + 1, *atTo});
    }
}

void LineTimes::clear()
{
    std::deque<Entry>().swap(m_entries);
}
