#pragma once

#include "utf8rows.h"
#include "widecharacters.h"

#include <QtGlobal>

#include <deque>
#include <vector>

class ConsoleText;

// Where the console's lines wrap, no widget. Every character takes one cell,
// a wide one two, and a row holds `columns` cells; a tab runs to the next
// multiple of 8 cells, or to the end of the row; a colour sequence the text
// hides takes none. A wide character that would cross the row's end starts
// the next row. A line takes at least one row, plus one for each mark
// before it.
//
// Only lines that take more than one row are kept, each with the rows before
// it, so a text of short lines costs nothing here and the row of a line and
// the line of a row take O(log n). A line with a tab or a hidden sequence
// also keeps where each of its rows starts, grown as the line grows; so does
// a line with UTF-8 characters of several bytes while it is the last or
// longer than maxCountedLength.
class ConsoleRows
{
public:
    static constexpr int tabCells = 8;

    // Brings the rows up to date with the text's changes and marks them seen.
    void update(ConsoleText &text);
    // A new width: every line is counted again.
    void setColumns(ConsoleText &text, int columns);
    int columns() const { return m_columns; }

    qint64 rowCount() const { return m_lines + m_extraRows; }
    // The rows before the line.
    qint64 firstRowOf(qint64 line) const;
    // The line holding the row, and the row's index inside it (its mark
    // rows first).
    qint64 lineOfRow(qint64 row, qint64 *rowInLine) const;

    // Where a row of the line's text starts, as an offset in the line; the
    // line's mark rows are not counted in textRow.
    qint64 rowOffset(const ConsoleText &text, qint64 line, qint64 textRow) const;
    // The cell after a character (a code, as a CellWalker walks them) put
    // at `column` (< columns()): the next one, two on for a wide one, or
    // for a tab the next tab stop within the row.
    int cellEnd(char32_t c, int column) const
    {
        if (c == '\t')
            return qMin((column / tabCells + 1) * tabCells, m_columns);
        return WideCharacters::isWide(c) ? column + 2 : column + 1;
    }
    // Whether a character at `column` goes to the next row instead; a wide
    // one goes whole, unless the row is empty.
    bool wrapsBefore(char32_t c, int column) const
    {
        return column >= m_columns || (column + 2 > m_columns && column > 0 && WideCharacters::isWide(c));
    }

private:
    struct Wrapped
    {
        qint64 line;
        qint64 extraBefore; // rows past the first of the wrapped lines before
    };
    struct TabRows
    {
        qint64 line;
        qint64 scanned; // characters laid out so far
        int column;     // where the next one goes
        std::vector<qint64> starts; // of every row but the first
    };

    // Longer UTF-8 lines keep their rows' starts: finding one again would
    // cost the whole line on every paint.
    static constexpr qint64 maxCountedLength = 4096;

    qint64 layOut(const ConsoleText &text, qint64 line, qint64 unchanged);
    Utf8Rows::Layout countedLayout(const ConsoleText &text, qint64 line, qint64 wanted) const;
    void push(qint64 line, qint64 rows);
    void applyRemoval(const ConsoleText &text);
    std::deque<TabRows>::iterator tabRowsOf(qint64 line);
    std::deque<TabRows>::const_iterator tabRowsOf(qint64 line) const;

    int m_columns = 80;
    qint64 m_lines = 0;
    qint64 m_extraRows = 0;
    // Sorted by line; deques, so that growing never copies them whole.
    std::deque<Wrapped> m_wrapped;
    std::deque<TabRows> m_tabRows;
};
