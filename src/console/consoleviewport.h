#pragma once

#include "linetimelabel.h"

#include <QtGlobal>

#include <utility>

class ConsoleRows;
class ConsoleText;
class QByteArray;

// What the console shows of its text, no widget: the selection, whether
// the view follows the output, the gutter's times, and the arithmetic
// between rows on screen and positions in the text. The widget keeps the
// scroll bar and hands its top row in where a rule needs it.
class ConsoleViewport
{
public:
    ConsoleViewport(const ConsoleText &text, const ConsoleRows &rows);

    // [from, to) of the selection, within the text: backspaces from the
    // device can shorten the text below a selection's end.
    std::pair<qint64, qint64> selection() const;
    void setAnchor(qint64 position) { m_anchor = position; }
    void setCursor(qint64 position) { m_cursor = position; }
    void select(qint64 anchor, qint64 cursor);
    // A double click: the word under the position, or the one character
    // there when it is no word character.
    void selectWordAt(qint64 position);
    // The text from `position` on was erased or written again: the
    // selection keeps what is before it, so it never covers the text
    // written in its place.
    void keepSelectionBefore(qint64 position);

    // Pinned, the view shows the end and received output keeps it there.
    bool pinned() const { return m_pinned; }
    void setPinned(bool on) { m_pinned = on; }
    // Held, received output no longer pulls the view to the end.
    bool hold() const { return m_hold; }
    void setHold(bool on) { m_hold = on; }
    // While find is open, received output does not move the view.
    bool findOpen() const { return m_findOpen; }
    void setFindOpen(bool open, bool atEnd);
    // The user scrolled: at the end the view follows again.
    void scrolledTo(bool atEnd) { m_pinned = !m_findOpen && atEnd; }
    void pinToEnd() { m_pinned = m_pinned || !m_findOpen; }
    void outputArrived();
    // Lines of text below the last row on screen.
    qint64 linesBelow(qint64 topRow, int pageRows) const;

    void setTimestampMode(TimestampMode mode) { m_timestampMode = mode; }
    TimestampMode timestampMode() const { return m_timestampMode; }
    // What the gutter shows for the line; empty when it shows nothing.
    QString timestampLabel(qint64 line) const;

    // Where a row sits: its line, and its index there, the line's mark
    // rows first.
    struct RowPlace
    {
        qint64 line;
        qint64 rowInLine;
        int marks;
        bool isMark() const { return rowInLine < marks; }
        qint64 textRow() const { return rowInLine - marks; }
    };
    RowPlace placeOfRow(qint64 row) const;
    qint64 lineOfRow(qint64 row) const;
    // Where the row's text starts; a mark's rows stand for the start of the
    // line after them, and rows past the end for the end.
    qint64 positionOfRow(qint64 row) const;
    // The row showing the position: the last of its line's rows that
    // starts at or before it.
    qint64 rowOfPosition(qint64 position) const;
    // The position nearest to `x`, in pixels right of where the text
    // starts, on the row; cells are `cellWidth` wide.
    qint64 positionAt(qint64 row, qreal x, qreal cellWidth) const;
    // The cell after the text's last character, on the last row.
    int caretColumn() const;
    // The cell of the position on its row.
    int columnOf(qint64 position) const;

private:
    void selectUtf8WordAt(qint64 position);

    const ConsoleText &m_text;
    const ConsoleRows &m_rows;
    qint64 m_anchor = 0;
    qint64 m_cursor = 0;
    bool m_pinned = true;
    bool m_hold = false;
    bool m_findOpen = false;
    TimestampMode m_timestampMode = TimestampMode::Off;
};
