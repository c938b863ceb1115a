#include "consolerows.h"

#include "consoletext.h"

#include <algorithm>

namespace {

qint64 lowBit(qint64 i)
{
    return i & -i;
}

} // namespace

qint64 ConsoleRows::rowsOf(const ConsoleText &text, qint64 line) const
{
    const qint64 length = text.lineLength(line);
    if (!text.lineHasTab(line))
        return std::max<qint64>(1, (length + m_columns - 1) / m_columns);
    qint64 rows = 1;
    int column = 0;
    const qint64 start = text.lineStart(line);
    for (qint64 i = 0; i < length; ++i) {
        if (column >= m_columns) {
            ++rows;
            column = 0;
        }
        column = cellEnd(text.at(start + i), column);
    }
    return rows;
}

qint64 ConsoleRows::rowOffset(const ConsoleText &text, qint64 line, qint64 rowInLine) const
{
    if (!text.lineHasTab(line) || rowInLine == 0)
        return rowInLine * m_columns;
    const qint64 length = text.lineLength(line);
    const qint64 start = text.lineStart(line);
    qint64 row = 0;
    int column = 0;
    for (qint64 i = 0; i < length; ++i) {
        if (column >= m_columns) {
            if (++row == rowInLine)
                return i;
            column = 0;
        }
        column = cellEnd(text.at(start + i), column);
    }
    return length;
}

qint64 ConsoleRows::prefix(qint64 count) const
{
    qint64 sum = 0;
    for (qint64 i = count; i > 0; i -= lowBit(i))
        sum += m_tree[size_t(i)];
    return sum;
}

// Node i covers the lines (i - lowBit(i), i]: its own plus the nodes that
// cover the rest, one per lower bit, usually none or one.
void ConsoleRows::push(qint64 rows)
{
    const qint64 i = qint64(m_tree.size());
    qint64 sum = rows;
    for (qint64 child = 1; child < lowBit(i); child *= 2)
        sum += m_tree[size_t(i - child)];
    m_tree.push_back(sum);
    m_total += rows;
}

void ConsoleRows::update(ConsoleText &text)
{
    const qint64 known = qint64(m_tree.size()) - 1;
    const qint64 keep = std::min(text.firstChangedLine(), known);
    if (keep < known) {
        m_total = prefix(keep);
        m_tree.resize(size_t(keep + 1));
    }
    for (qint64 line = keep; line < text.lineCount(); ++line)
        push(rowsOf(text, line));
    text.markSeen();
}

void ConsoleRows::setColumns(const ConsoleText &text, int columns)
{
    m_columns = std::max(1, columns);
    const qint64 lines = text.lineCount();
    m_tree.assign(size_t(lines + 1), 0);
    m_total = 0;
    for (qint64 i = 1; i <= lines; ++i) {
        const qint64 rows = rowsOf(text, i - 1);
        m_total += rows;
        m_tree[size_t(i)] += rows;
        const qint64 parent = i + lowBit(i);
        if (parent <= lines)
            m_tree[size_t(parent)] += m_tree[size_t(i)];
    }
}

qint64 ConsoleRows::firstRowOf(qint64 line) const
{
    return prefix(line);
}

qint64 ConsoleRows::lineOfRow(qint64 row, qint64 *rowInLine) const
{
    const qint64 lines = qint64(m_tree.size()) - 1;
    row = std::clamp<qint64>(row, 0, std::max<qint64>(0, m_total - 1));
    qint64 line = 0;
    qint64 step = 1;
    while (step * 2 <= lines)
        step *= 2;
    for (; step > 0; step /= 2) {
        if (line + step <= lines && m_tree[size_t(line + step)] <= row) {
            line += step;
            row -= m_tree[size_t(line)];
        }
    }
    line = std::min(line, lines - 1);
    *rowInLine = row;
    return line;
}
