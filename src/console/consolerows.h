#pragma once

#include <QtGlobal>

#include <deque>

class ConsoleText;

// Where the console's lines wrap, no widget. Every character takes one cell
// and a row holds `columns` cells; a tab runs to the next multiple of 8
// cells, or to the end of the row. A line takes at least one row.
//
// Row counts sit in a Fenwick tree, so the row of a line and the line of a
// row take O(log n), and appending touches only the lines that changed.
class ConsoleRows
{
public:
    static constexpr int tabCells = 8;

    // Brings the rows up to date with the text's changes and marks them seen.
    void update(ConsoleText &text);
    // A new width: every line is counted again.
    void setColumns(const ConsoleText &text, int columns);
    int columns() const { return m_columns; }

    qint64 rowCount() const { return m_total; }
    // The rows before the line.
    qint64 firstRowOf(qint64 line) const;
    // The line holding the row, and the row's index inside it.
    qint64 lineOfRow(qint64 row, qint64 *rowInLine) const;

    // Where a row of a line starts, as an offset in the line.
    qint64 rowOffset(const ConsoleText &text, qint64 line, qint64 rowInLine) const;
    // The cell after a character put at `column` (< columns()): the next
    // one, or for a tab the next tab stop within the row.
    int cellEnd(char c, int column) const
    {
        return c == '\t' ? qMin((column / tabCells + 1) * tabCells, m_columns) : column + 1;
    }

private:
    qint64 rowsOf(const ConsoleText &text, qint64 line) const;
    void push(qint64 rows);
    qint64 prefix(qint64 count) const;

    int m_columns = 80;
    // 1-based Fenwick tree over the rows of each line; a deque, so that
    // growing it never copies it whole.
    std::deque<qint64> m_tree {0};
    qint64 m_total = 0;
};
