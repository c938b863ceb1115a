#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

// When the console's lines began, no widget: the arrival time, in
// milliseconds since the epoch, of the batch that brought each line's first
// character. A time is kept only where it changes: an entry at a line's
// start gives the time of that line and of every line after it, up to the
// next entry. A stream of lines costs at most one entry per millisecond, however
// fast it comes.
class LineTimes
{
public:
    // A line starting at `position` had its first character at `msecs`;
    // entries at or after the position are out of date.
    void stamp(qint64 position, qint64 msecs);
    // The time of a line starting at `position`; none before the first entry.
    std::optional<qint64> timeAt(qint64 position) const;
    // Characters from `size` on were erased.
    void truncate(qint64 size);
    // Characters in [from, to) were taken out, and with them the lines
    // starting in (from, to]. A line after them that took its time from
    // one of those needs it set again.
    void remove(qint64 from, qint64 to);
    // The line starting at `position` began at `msecs`, whatever came before.
    void setAt(qint64 position, qint64 msecs);
    void clear();

    qint64 count() const { return qint64(m_entries.size()); }
    static constexpr qint64 entryBytes = 16;

private:
    struct Entry
    {
        qint64 position;
        qint64 msecs;
    };
    std::deque<Entry>::const_iterator after(qint64 position) const;

    // A deque grows by blocks, never copying or doubling what it holds.
    std::deque<Entry> m_entries;
};
