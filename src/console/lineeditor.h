#pragma once

#include "sequencescanner.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

class ConsoleText;

// Line editing, no widget: the last line of the console's text behaves as
// a terminal row W cells wide that wraps onto the next, the device's cursor
// at row * W + column. Backspace, CR and the cursor sequences move it,
// printable bytes overwrite or append, the erase, delete and insert
// sequences edit the line; every other complete sequence is hidden. The
// text holds what is drawn, plus the colour sequences while device colours
// are on (each kept before the character it colours).
//
// With UTF-8 on, a cell holds a character: a valid sequence, or one byte
// that starts none. A wide character takes two cells, the second holding
// no bytes; a sequence cut at a batch's end waits for the rest.
//
// Only the end of the last line from the leftmost cell a batch touched is
// read and written again: an edit costs the edit and the rest of its line,
// whatever lies above. Text appended at the end costs no cell model at all.
class LineEditor
{
public:
    static constexpr int defaultColumns = 80;
    static constexpr int minColumns = 20;
    static constexpr int maxColumns = 500;

    explicit LineEditor(ConsoleText &text);

    void setColumns(int columns);
    int columns() const { return m_columns; }
    // Cells counted per UTF-8 character rather than per byte. Switching
    // reads the last line again, the cursor kept on its character.
    void setUtf8(bool on);
    bool utf8() const { return m_utf8; }

    // Applies one received batch to the text; lines it starts begin at
    // `arrival`.
    void receive(const QByteArray &received, qint64 arrival);

    // Where the device's cursor is in the text: its cell's character (the
    // whole of a wide one), or the end.
    qint64 cursorPosition() const;
    // The cursor's cell in the last line (row * W + column).
    qint64 cursorCell() const { return m_cursor; }
    // The lowest position the last receive() wrote.
    qint64 rewrittenFrom() const { return m_rewrittenFrom; }
    // What the device asked to be told (cursor reports), to send back.
    QByteArray takeReplies();
    // BELs received since asked last.
    int takeBells();
    // The last window title set by OSC 0 or 2 since asked last.
    std::optional<QString> takeTitle();

private:
    struct Cell
    {
        // One byte, or a UTF-8 character; none in a wide character's right
        // half, the cell after the one holding it.
        std::array<char, 4> bytes {' '};
        quint8 size = 1;
        QByteArray styles; // colour sequences just before the character

        void set(const char *from, int count)
        {
            std::copy(from, from + count, bytes.begin());
            size = quint8(count);
        }
        void blank() { set(" ", 1); }
    };
    struct Character
    {
        int size;
        int width;
    };

    void resync();
    void readLastLine();
    bool inSync() const;
    bool atPlainEnd() const;
    static const char *plainEnd(const char *from, const char *end);
    void appendPlain(const char *from, const char *to);
    void appendUtf8(const char *from, const char *to);
    void appendRun(const char *from, const char *to, bool broken, qint64 cells);
    Character characterAt(const char *bytes, qint64 available) const;
    void text(const char *bytes, qint64 count);
    void putCharacters(const char *bytes, qint64 count);
    void literal(const QByteArray &bytes);
    void put(const char *bytes, int size, int width);
    void putHalf(qint64 index, const char *bytes, int size);
    void control(char c);
    void escape(const QByteArray &sequence);
    void csi(const QByteArray &sequence);
    void osc(const QByteArray &sequence);
    void style(const QByteArray &sequence);
    void lineFeed();
    bool joinPreviousLine();

    qint64 count() const { return m_baseCell + qint64(m_cells.size()); }
    qint64 row() const { return m_cursor / m_columns; }
    qint64 rowStart() const { return row() * m_columns; }
    qint64 rowEnd() const { return rowStart() + m_columns; }
    // Bytes that read back as fewer UTF-8 characters than they were counted
    // as (a lead and a continuation byte received apart, with a NUL or a
    // hidden sequence between them) can leave an index outside the window:
    // it reaches a scratch cell, drawn nowhere, instead of memory.
    Cell &cell(qint64 index)
    {
        if (index < m_baseCell || index >= count()) {
            m_outside = Cell();
            return m_outside;
        }
        return m_cells[size_t(index - m_baseCell)];
    }
    void moveTo(qint64 index);
    void padTo(qint64 index);
    void keepPendingStylesAtEnd();
    void load(qint64 index);
    void loadMore();
    qint64 characterStart(qint64 position, qint64 lineStart) const;
    qint64 cellsIn(qint64 from, qint64 to) const;
    qint64 cellAt(qint64 position) const;
    void splitWide(qint64 index);
    void dirty(qint64 index) { m_dirtyCell = std::min(m_dirtyCell, index); }
    void erase(qint64 from, qint64 to);
    void truncate(qint64 from);
    void removeCells(qint64 from, qint64 n);
    void insertBlanks(qint64 at, qint64 n);
    void flushAppended();
    void flushWindow(bool lineBreak);
    void settle();

    ConsoleText &m_text;
    int m_columns = defaultColumns;
    bool m_utf8 = false;
    SequenceScanner m_scanner;
    // The start of a UTF-8 character the last batch cut off, held for the
    // next one.
    QByteArray m_partial;
    qint64 m_arrival = 0;

    // The window: the last line's cells from m_baseCell on, which start at
    // m_base in the text (or, while m_appended holds anything, after it).
    qint64 m_base = 0;
    qint64 m_baseCell = 0;
    std::vector<Cell> m_cells;
    Cell m_outside;
    QByteArray m_trailingStyles; // after the last cell
    QByteArray m_pendingStyles;  // received since the last character
    qint64 m_dirtyCell = 0;
    // Plain text and breaks for the end of the text, written once a batch.
    QByteArray m_appended;

    qint64 m_cursor = 0;
    // Written in the row's last column: the next character goes to the
    // next row, as a terminal's pending wrap.
    bool m_wrapPending = false;
    qint64 m_saved = 0;

    // What the text was when left: anything else changed it since.
    qint64 m_syncedSize = -1;
    qint64 m_syncedLines = -1;
    bool m_syncedColours = false;
    qint64 m_cursorPosition = 0;
    qint64 m_rewrittenFrom = 0;

    QByteArray m_replies;
    int m_bells = 0;
    std::optional<QString> m_title;
};
