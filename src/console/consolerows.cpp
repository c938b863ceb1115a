#include "consolerows.h"

#include "cellwalker.h"
#include "colourruns.h"
#include "consoletext.h"
#include "utf8rows.h"

#include <algorithm>

namespace {

template<typename Entries>
auto firstAtOrAfter(Entries &entries, qint64 line)
{
    return std::lower_bound(entries.begin(), entries.end(), line,
                            [](const auto &entry, qint64 l) { return entry.line < l; });
}

} // namespace

std::deque<ConsoleRows::TabRows>::iterator ConsoleRows::tabRowsOf(qint64 line)
{
    const auto it = firstAtOrAfter(m_tabRows, line);
    return it != m_tabRows.end() && it->line == line ? it : m_tabRows.end();
}

std::deque<ConsoleRows::TabRows>::const_iterator ConsoleRows::tabRowsOf(qint64 line) const
{
    const auto it = firstAtOrAfter(m_tabRows, line);
    return it != m_tabRows.end() && it->line == line ? it : m_tabRows.end();
}

// The line's rows, its marks' included. For a line with a tab the rows
// that start within the first `unchanged` characters are kept from before,
// so a growing line costs what it grew by.
qint64 ConsoleRows::layOut(const ConsoleText &text, qint64 line, qint64 unchanged)
{
    const ConsoleText::LineInfo info = text.lineInfo(line);
    const qint64 marks = info.marked ? text.marksBefore(line) : 0;
    const qint64 length = info.length;
    // A line of one row needs no starts, whatever it hides: no character
    // takes more cells than bytes.
    const qint64 hidden = text.colours() ? text.colours()->hiddenIn(info.start, info.start + length) : 0;
    if (!info.hasTab && ((hidden == 0 && !info.hasHighBytes) || length - hidden <= m_columns)) {
        if (!m_tabRows.empty() && m_tabRows.back().line >= line) {
            const auto state = tabRowsOf(line);
            if (state != m_tabRows.end())
                m_tabRows.erase(state);
        }
        return marks + std::max<qint64>(1, (length - hidden + m_columns - 1) / m_columns);
    }
    // A finished line of UTF-8 with no tab and nothing hidden is counted from
    // its bytes, and its rows' starts found again when asked.
    if (info.hasHighBytes && !info.hasTab && hidden == 0 && line + 1 < text.lineCount()
        && length <= maxCountedLength) {
        if (!m_tabRows.empty() && m_tabRows.back().line >= line) {
            const auto state = tabRowsOf(line);
            if (state != m_tabRows.end())
                m_tabRows.erase(state);
        }
        return marks + countedLayout(text, line, -1).rows;
    }
    auto state = tabRowsOf(line);
    if (state == m_tabRows.end())
        state = m_tabRows.insert(firstAtOrAfter(m_tabRows, line), TabRows {line, 0, 0, {}});
    if (unchanged < state->scanned) {
        // The row holding the first change is laid out again from its start;
        // a row starting right there is made again only if a character is.
        auto &starts = state->starts;
        starts.erase(std::lower_bound(starts.begin(), starts.end(), unchanged), starts.end());
        state->scanned = starts.empty() ? 0 : starts.back();
        state->column = 0;
    }
    const qint64 start = info.start;
    int column = state->column;
    // Colour sequences take no cells: a row ends before the first byte
    // that needs one.
    CellWalker cells(text, start + state->scanned);
    const qint64 walked = cells.walk(start + length, [&](qint64 position, char32_t c) {
        if (wrapsBefore(c, column)) {
            state->starts.push_back(position - start);
            column = 0;
        }
        column = cellEnd(c, column);
        return true;
    });
    // An unfinished character at the end is laid out once it is whole.
    state->scanned = walked - start;
    state->column = column;
    const qint64 rows = 1 + qint64(state->starts.size());
    // Only the last line can grow; another one-row line needs no starts.
    if (rows == 1 && line + 1 < text.lineCount())
        m_tabRows.erase(state);
    return marks + rows;
}

void ConsoleRows::push(qint64 line, qint64 rows)
{
    if (rows > 1) {
        m_wrapped.push_back({line, m_extraRows});
        m_extraRows += rows - 1;
    }
    ++m_lines;
}

// Lines [L, L + removed] became [L, L + kept]; those after moved up.
void ConsoleRows::applyRemoval(const ConsoleText &text)
{
    const ConsoleText::Changes &changes = text.changes();
    const qint64 line = changes.removedLine;
    const qint64 lastGone = line + changes.removedStarts;
    const qint64 shift = changes.removedStarts - changes.keptLines;

    const auto tabFirst = firstAtOrAfter(m_tabRows, line);
    const auto tabLast = firstAtOrAfter(m_tabRows, lastGone + 1);
    for (auto it = m_tabRows.erase(tabFirst, tabLast); it != m_tabRows.end(); ++it)
        it->line -= shift;

    const size_t first = size_t(firstAtOrAfter(m_wrapped, line) - m_wrapped.begin());
    const size_t last = size_t(firstAtOrAfter(m_wrapped, lastGone + 1) - m_wrapped.begin());
    const qint64 extraBefore = first < m_wrapped.size() ? m_wrapped[first].extraBefore : m_extraRows;
    const qint64 extraAfter = last < m_wrapped.size() ? m_wrapped[last].extraBefore : m_extraRows;
    m_wrapped.erase(m_wrapped.begin() + qint64(first), m_wrapped.begin() + qint64(last));
    m_lines -= shift;

    std::vector<Wrapped> laidOut;
    qint64 extra = extraBefore;
    for (qint64 l = line; l <= line + changes.keptLines && l < text.lineCount(); ++l) {
        const qint64 rows = layOut(text, l, 0);
        if (rows > 1) {
            laidOut.push_back({l, extra});
            extra += rows - 1;
        }
    }
    const qint64 delta = (extra - extraBefore) - (extraAfter - extraBefore);
    m_wrapped.insert(m_wrapped.begin() + qint64(first), laidOut.begin(), laidOut.end());
    for (size_t i = first + laidOut.size(); i < m_wrapped.size(); ++i) {
        m_wrapped[i].line -= shift;
        m_wrapped[i].extraBefore += delta;
    }
    m_extraRows += delta;
}

void ConsoleRows::update(ConsoleText &text)
{
    if (text.changes().removal)
        applyRemoval(text);
    const qint64 tail = std::min(text.changes().tailLine, m_lines);
    const qint64 unchanged = tail == text.changes().tailLine ? text.changes().tailOffset : 0;
    while (!m_wrapped.empty() && m_wrapped.back().line >= tail) {
        m_extraRows = m_wrapped.back().extraBefore;
        m_wrapped.pop_back();
    }
    // The tail line's starts stay, to be laid out on from where they were.
    while (!m_tabRows.empty() && m_tabRows.back().line > tail)
        m_tabRows.pop_back();
    if (tail == 0 && unchanged == 0) {
        // Cleared, or laid out anew: let the memory go.
        std::deque<Wrapped>().swap(m_wrapped);
        std::deque<TabRows>().swap(m_tabRows);
    }
    m_lines = tail;
    for (qint64 line = tail; line < text.lineCount(); ++line)
        push(line, layOut(text, line, line == tail ? unchanged : 0));
    text.markSeen();
}

void ConsoleRows::setColumns(ConsoleText &text, int columns)
{
    m_columns = std::max(1, columns);
    std::deque<Wrapped>().swap(m_wrapped);
    std::deque<TabRows>().swap(m_tabRows);
    m_lines = 0;
    m_extraRows = 0;
    for (qint64 line = 0; line < text.lineCount(); ++line)
        push(line, layOut(text, line, 0));
    text.markSeen();
}

qint64 ConsoleRows::firstRowOf(qint64 line) const
{
    const auto next = firstAtOrAfter(m_wrapped, line);
    return line + (next != m_wrapped.end() ? next->extraBefore : m_extraRows);
}

// A wrapped line's first row is its line number plus the extra rows before
// it, which grows with the line: the last wrapped line starting at or
// before the row tells where the row is.
qint64 ConsoleRows::lineOfRow(qint64 row, qint64 *rowInLine) const
{
    row = std::clamp<qint64>(row, 0, std::max<qint64>(0, rowCount() - 1));
    const auto after = std::upper_bound(m_wrapped.begin(), m_wrapped.end(), row,
                                        [](qint64 r, const Wrapped &w) { return r < w.line + w.extraBefore; });
    if (after == m_wrapped.begin()) {
        *rowInLine = 0;
        return row;
    }
    const Wrapped &wrapped = *(after - 1);
    const qint64 first = wrapped.line + wrapped.extraBefore;
    const qint64 rows = 1 + (after != m_wrapped.end() ? after->extraBefore : m_extraRows) - wrapped.extraBefore;
    if (row < first + rows) {
        *rowInLine = row - first;
        return wrapped.line;
    }
    *rowInLine = 0;
    return wrapped.line + 1 + (row - first - rows);
}

qint64 ConsoleRows::rowOffset(const ConsoleText &text, qint64 line, qint64 textRow) const
{
    if (textRow <= 0)
        return 0;
    const ConsoleText::LineInfo info = text.lineInfo(line);
    const bool hidden = text.overlapsHiddenSequence(info.start, info.start + info.length);
    if (!info.hasTab && !info.hasHighBytes && !hidden)
        return std::min(textRow * m_columns, info.length);
    const auto state = tabRowsOf(line);
    if (state != m_tabRows.end())
        return textRow > qint64(state->starts.size()) ? info.length : state->starts[size_t(textRow - 1)];
    if (info.hasHighBytes && !info.hasTab && !hidden) {
        const qint64 at = countedLayout(text, line, textRow).wantedStart;
        return at < 0 ? info.length : at;
    }
    return info.length;
}

Utf8Rows::Layout ConsoleRows::countedLayout(const ConsoleText &text, qint64 line, qint64 wanted) const
{
    const ConsoleText::LineInfo info = text.lineInfo(line);
    const bool ends = line + 1 < text.lineCount();
    qint64 available = 0;
    const char *bytes = info.length > 0 ? text.piece(info.start, &available) : "";
    if (available >= info.length)
        return Utf8Rows::layOut(bytes, info.length, ends, m_columns, wanted);
    // Across two chunks: rare, and never long.
    const QByteArray copy = text.mid(info.start, info.length);
    return Utf8Rows::layOut(copy.constData(), copy.size(), ends, m_columns, wanted);
}
