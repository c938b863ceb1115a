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

void LineTimes::remove(qint64 from, qint64 to)
{
    if (to <= from)
        return;
    const auto first = m_entries.begin() + (after(from) - m_entries.cbegin());
    const auto last = m_entries.begin() + (after(to) - m_entries.cbegin());
    const auto kept = m_entries.erase(first, last);
    for (auto it = kept; it != m_entries.end(); ++it)
        it->position -= to - from;
}

void LineTimes::setAt(qint64 position, qint64 msecs)
{
    const auto next = m_entries.begin() + (after(position) - m_entries.cbegin());
    if (next != m_entries.begin() && std::prev(next)->position == position)
        std::prev(next)->msecs = msecs;
    else if (timeAt(position) != msecs)
        m_entries.insert(next, {position, msecs});
}

void LineTimes::clear()
{
    std::deque<Entry>().swap(m_entries);
}
