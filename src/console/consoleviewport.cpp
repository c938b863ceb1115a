#include "consoleviewport.h"

#include "cellwalker.h"
#include "consolerows.h"
#include "consoletext.h"

#include <QChar>

#include <algorithm>

namespace {

bool isWordChar(uchar c)
{
    return c == '_' || QChar(c).isLetterOrNumber();
}

} // namespace

ConsoleViewport::ConsoleViewport(const ConsoleText &text, const ConsoleRows &rows)
    : m_text(text)
    , m_rows(rows)
{
}

std::pair<qint64, qint64> ConsoleViewport::selection() const
{
    const qint64 to = std::min(std::max(m_anchor, m_cursor), m_text.size());
    return {std::min(std::min(m_anchor, m_cursor), to), to};
}

void ConsoleViewport::select(qint64 anchor, qint64 cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
}

void ConsoleViewport::selectWordAt(qint64 position)
{
    if (m_text.utf8()) {
        selectUtf8WordAt(position);
        return;
    }
    qint64 from = position;
    if (from >= m_text.size() || !isWordChar(uchar(m_text.at(from)))) {
        select(from, std::min(from + 1, m_text.size()));
        return;
    }
    // A colour sequence's digits and 'm' are not drawn, so not part of a word.
    const auto inWord = [this](qint64 p) {
        return isWordChar(uchar(m_text.at(p))) && !m_text.overlapsHiddenSequence(p, p + 1);
    };
    qint64 to = from;
    while (from > 0 && inWord(from - 1))
        --from;
    while (to < m_text.size() && inWord(to))
        ++to;
    select(from, to);
}

// As above, a character at a time: a letter of any script is a word's.
void ConsoleViewport::selectUtf8WordAt(qint64 position)
{
    const auto length = [this](qint64 p) {
        const Utf8Decoder::Decoded decoded = m_text.characterAt(p);
        return decoded.status == Utf8Decoder::Status::Valid ? decoded.length : 1;
    };
    const auto inWord = [this](qint64 p) {
        const Utf8Decoder::Decoded decoded = m_text.characterAt(p);
        return decoded.status == Utf8Decoder::Status::Valid
            && (decoded.code == '_' || QChar::isLetterOrNumber(uint(decoded.code)))
            && !m_text.overlapsHiddenSequence(p, p + decoded.length);
    };
    qint64 from = position;
    if (from >= m_text.size() || !inWord(from)) {
        select(from, std::min(from + length(from), m_text.size()));
        return;
    }
    qint64 to = from;
    while (from > 0 && inWord(m_text.characterBefore(from)))
        from = m_text.characterBefore(from);
    while (to < m_text.size() && inWord(to))
        to += length(to);
    select(from, to);
}

void ConsoleViewport::keepSelectionBefore(qint64 position)
{
    m_anchor = std::min(m_anchor, position);
    m_cursor = std::min(m_cursor, position);
}

void ConsoleViewport::setFindOpen(bool open, bool atEnd)
{
    m_findOpen = open;
    m_pinned = !open && atEnd;
}

// Held, the rows on screen stay where they are, even at the end.
void ConsoleViewport::outputArrived()
{
    if (m_hold)
        m_pinned = false;
    else
        pinToEnd();
}

qint64 ConsoleViewport::linesBelow(qint64 topRow, int pageRows) const
{
    const qint64 bottomRow = topRow + pageRows - 1;
    if (bottomRow >= m_rows.rowCount() - 1)
        return 0;
    const qint64 line = lineOfRow(bottomRow);
    // A text that ends with a line break ends with an empty line: not one
    // that arrived.
    const qint64 lastLine = m_text.lineCount() - 1;
    const qint64 lines = m_text.lineLength(lastLine) == 0 ? lastLine : lastLine + 1;
    return std::max<qint64>(0, lines - 1 - line);
}

QString ConsoleViewport::timestampLabel(qint64 line) const
{
    if (m_timestampMode == TimestampMode::Off || line < 0 || line >= m_text.lineCount())
        return {};
    return lineTimeLabel(m_timestampMode, m_text.lineTime(line),
                         line > 0 ? m_text.lineTime(line - 1) : std::nullopt);
}

ConsoleViewport::RowPlace ConsoleViewport::placeOfRow(qint64 row) const
{
    RowPlace place {};
    place.line = m_rows.lineOfRow(row, &place.rowInLine);
    place.marks = m_text.marksBefore(place.line);
    return place;
}

qint64 ConsoleViewport::lineOfRow(qint64 row) const
{
    qint64 rowInLine = 0;
    return m_rows.lineOfRow(row, &rowInLine);
}

qint64 ConsoleViewport::positionOfRow(qint64 row) const
{
    if (row >= m_rows.rowCount())
        return m_text.size();
    const RowPlace place = placeOfRow(row);
    const qint64 start = m_text.lineStart(place.line);
    return place.isMark() ? start : start + m_rows.rowOffset(m_text, place.line, place.textRow());
}

qint64 ConsoleViewport::rowOfPosition(qint64 position) const
{
    const qint64 line = m_text.lineOf(position);
    const qint64 marks = m_text.marksBefore(line);
    const qint64 firstRow = m_rows.firstRowOf(line) + marks;
    const qint64 endRow = line + 1 < m_text.lineCount() ? m_rows.firstRowOf(line + 1) : m_rows.rowCount();
    const qint64 offset = position - m_text.lineStart(line);
    qint64 low = 0;
    qint64 high = std::max<qint64>(1, endRow - firstRow);
    while (high - low > 1) {
        const qint64 middle = (low + high) / 2;
        if (m_rows.rowOffset(m_text, line, middle) <= offset)
            low = middle;
        else
            high = middle;
    }
    return firstRow + low;
}

qint64 ConsoleViewport::positionAt(qint64 row, qreal x, qreal cellWidth) const
{
    if (m_rows.rowCount() == 0)
        return 0;
    if (row >= m_rows.rowCount())
        return m_text.size();
    const RowPlace place = placeOfRow(row);
    const qint64 start = m_text.lineStart(place.line);
    if (place.isMark())
        return start;
    const qint64 end = start + m_text.lineLength(place.line);
    const qint64 from = start + m_rows.rowOffset(m_text, place.line, place.textRow());
    int column = 0;
    return CellWalker(m_text, from).walk(end, [&](qint64, char32_t c) {
        if (m_rows.wrapsBefore(c, column))
            return false;
        const int next = m_rows.cellEnd(c, column);
        // The nearer edge of the cell under the pointer.
        if (x < (column + next) * cellWidth / 2)
            return false;
        column = next;
        return true;
    });
}

// The last row is always one of text: a line has a row of text after its
// marks.
int ConsoleViewport::caretColumn() const
{
    const RowPlace place = placeOfRow(m_rows.rowCount() - 1);
    const qint64 line = place.line;
    const qint64 start = m_text.lineStart(line);
    int column = 0;
    CellWalker(m_text, start + m_rows.rowOffset(m_text, line, place.textRow()))
        .walk(start + m_text.lineLength(line), [&](qint64, char32_t c) {
            column = m_rows.cellEnd(c, column);
            return true;
        });
    return column;
}

int ConsoleViewport::columnOf(qint64 position) const
{
    int column = 0;
    CellWalker(m_text, positionOfRow(rowOfPosition(position))).walk(position, [&](qint64, char32_t c) {
        column = m_rows.cellEnd(c, column);
        return true;
    });
    return column;
}
