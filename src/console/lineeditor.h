#pragma once

#include "sequencescanner.h"

#include <QByteArray>
#include <QString>

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

    // Applies one received batch to the text; lines it starts begin at
    // `arrival`.
    void receive(const QByteArray &batch, qint64 arrival);

    // Where the device's cursor is in the text.
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
        char c;
        QByteArray styles; // colour sequences just before the character
    };

    void resync();
    bool inSync() const;
    bool atPlainEnd() const;
    static const char *plainEnd(const char *from, const char *end);
    void appendPlain(const char *from, const char *to);
    void text(const char *bytes, qint64 count);
    void literal(const QByteArray &bytes);
    void put(char c);
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
    Cell &cell(qint64 index) { return m_cells[size_t(index - m_baseCell)]; }
    void moveTo(qint64 index);
    void padTo(qint64 index);
    void keepPendingStylesAtEnd();
    void load(qint64 index);
    void loadMore();
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
    SequenceScanner m_scanner;
    qint64 m_arrival = 0;

    // The window: the last line's cells from m_baseCell on, which start at
    // m_base in the text (or, while m_appended holds anything, after it).
    qint64 m_base = 0;
    qint64 m_baseCell = 0;
    std::vector<Cell> m_cells;
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
