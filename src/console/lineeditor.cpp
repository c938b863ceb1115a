#include "lineeditor.h"

#include "colourruns.h"
#include "consoletext.h"
#include "sgrparser.h"
#include "utf8decoder.h"
#include "widecharacters.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr qint64 clean = std::numeric_limits<qint64>::max();

// ESC [ m, ESC [ 0 m and ESC [ 0 ; ... m start from the plain style.
bool isReset(const char *sequence, int length)
{
    for (int i = 2; i < length - 1 && sequence[i] != ';'; ++i) {
        if (sequence[i] != '0')
            return false;
    }
    return true;
}

// Colour sequences before a reset have no effect after it: a prompt drawn
// again and again does not pile them up.
QByteArray compactStyles(const QByteArray &styles)
{
    int keepFrom = 0;
    for (int i = 0; i < styles.size();) {
        const int length = SgrParser::sequenceLength(styles.constData() + i, styles.size() - i);
        if (length == 0)
            return styles;
        if (isReset(styles.constData() + i, length))
            keepFrom = i;
        i += length;
    }
    return keepFrom ? styles.mid(keepFrom) : styles;
}

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xc0) == 0x80;
}

// The bytes of a UTF-8 sequence that [from, end) ends in before it does:
// a lead byte is at most three bytes back.
qint64 truncatedTail(const char *from, const char *end)
{
    for (const char *lead = end - 1; lead >= from && lead >= end - 3; --lead) {
        if (!isContinuation(*lead)) {
            const bool cut = Utf8Decoder::decode(lead, end - lead).status == Utf8Decoder::Status::Truncated;
            return cut ? end - lead : 0;
        }
    }
    return 0;
}

bool isAscii(const char *from, const char *to)
{
    char any = 0;
    for (const char *p = from; p < to; ++p)
        any |= *p;
    return uchar(any) < 0x80;
}

} // namespace

LineEditor::LineEditor(ConsoleText &text)
    : m_text(text)
{
    resync();
}

void LineEditor::setColumns(int columns)
{
    m_columns = std::clamp(columns, minColumns, maxColumns);
}

void LineEditor::setUtf8(bool on)
{
    if (on == m_utf8)
        return;
    const qint64 position = cursorPosition();
    m_utf8 = on;
    // The cells were counted the other way.
    readLastLine();
    m_cursor = cellAt(position);
    m_wrapPending = false;
    m_saved = 0;
    settle();
}

QByteArray LineEditor::takeReplies()
{
    QByteArray replies;
    replies.swap(m_replies);
    return replies;
}

int LineEditor::takeBells()
{
    return std::exchange(m_bells, 0);
}

std::optional<QString> LineEditor::takeTitle()
{
    return std::exchange(m_title, std::nullopt);
}

bool LineEditor::inSync() const
{
    return m_text.size() == m_syncedSize && m_text.lineCount() == m_syncedLines
        && (m_text.colours() != nullptr) == m_syncedColours;
}

qint64 LineEditor::cursorPosition() const
{
    return inSync() ? m_cursorPosition : m_text.size();
}

// The text changed under the editor (a Delete, Clear Screen, a mark, colours
// switched): the last line is read again and the cursor goes to its end.
void LineEditor::resync()
{
    readLastLine();
    m_cursor = count();
    m_wrapPending = false;
    m_saved = 0;
    settle();
}

// The whole of the last line into the window.
void LineEditor::readLastLine()
{
    m_cells.clear();
    m_trailingStyles.clear();
    m_pendingStyles.clear();
    m_appended.clear();
    m_dirtyCell = clean;
    m_base = m_text.size();
    m_baseCell = 0;
    const qint64 lineStart = m_text.lineStart(m_text.lineCount() - 1);
    while (m_base > lineStart)
        loadMore();
    m_baseCell = 0;
}

// The cell holding the character at `position`, or the line's end.
qint64 LineEditor::cellAt(qint64 position) const
{
    qint64 p = m_base;
    for (size_t i = 0; i < m_cells.size(); ++i) {
        p += m_cells[i].styles.size();
        if (p >= position)
            return m_baseCell + qint64(i);
        p += m_cells[i].size;
    }
    return count();
}

void LineEditor::receive(const QByteArray &received, qint64 arrival)
{
    m_arrival = arrival;
    if (!inSync())
        resync();
    m_rewrittenFrom = m_text.size();
    const QByteArray batch = m_partial.isEmpty() ? received : m_partial + received;
    const char *p = batch.constData();
    const qint64 tail = m_utf8 ? truncatedTail(p, p + batch.size()) : 0;
    const char *const end = p + batch.size() - tail;
    m_partial = tail > 0 ? QByteArray(end, int(tail)) : QByteArray();
    while (p < end) {
        if (!m_scanner.inSequence() && atPlainEnd()) {
            const char *plain = plainEnd(p, end);
            if (plain > p) {
                appendPlain(p, plain);
                p = plain;
                continue;
            }
        }
        if (!m_scanner.inSequence()) {
            const char *run = p;
            while (p < end && uchar(*p) >= 0x20)
                ++p;
            if (p > run) {
                text(run, p - run);
                continue;
            }
        }
        if (!m_scanner.feed(*p++))
            continue;
        const QByteArray bytes = m_scanner.bytes();
        switch (m_scanner.kind()) {
        case SequenceScanner::Kind::Text:
            putCharacters(bytes.constData(), bytes.size());
            break;
        case SequenceScanner::Kind::Literal:
            literal(bytes);
            break;
        case SequenceScanner::Kind::Control:
            control(bytes.front());
            break;
        case SequenceScanner::Kind::Escape:
            escape(bytes);
            break;
        case SequenceScanner::Kind::Csi:
            csi(bytes);
            break;
        case SequenceScanner::Kind::String:
            osc(bytes);
            break;
        }
        if (m_scanner.reread())
            --p;
    }
    flushWindow(false);
    settle();
}

bool LineEditor::atPlainEnd() const
{
    return m_cells.empty() && m_trailingStyles.isEmpty() && m_pendingStyles.isEmpty() && m_dirtyCell == clean
        && (m_wrapPending ? m_cursor + 1 : m_cursor) == count();
}

// Where text that the store's own rules append as the editor would ends:
// printable bytes and line breaks; a lone CR, a tab or a sequence needs the
// editor. Found by memchr, since it runs over every byte received.
const char *LineEditor::plainEnd(const char *from, const char *end)
{
    const char *stop = end;
    for (const char special : {'\x1b', '\b', '\t', '\a', '\0'}) {
        if (const void *found = std::memchr(from, special, size_t(stop - from)))
            stop = static_cast<const char *>(found);
    }
    for (const char *cr = from; cr < stop; ++cr) {
        cr = static_cast<const char *>(std::memchr(cr, '\r', size_t(stop - cr)));
        if (!cr)
            break;
        if (cr + 1 == end || cr[1] != '\n')
            return cr;
    }
    return stop;
}

// Text at the end of the line, the common case, goes to the store as it is;
// only its last line is looked at.
void LineEditor::appendPlain(const char *from, const char *to)
{
    if (m_utf8 && !isAscii(from, to)) {
        appendUtf8(from, to);
        return;
    }
    const char *lineStart = to;
    while (lineStart > from && lineStart[-1] != '\n')
        --lineStart;
    appendRun(from, to, lineStart > from, to - lineStart);
}

// Every character is measured: a wide one that would start in a row's last
// cell is pushed to the next row by a blank there, as a terminal wraps it.
void LineEditor::appendUtf8(const char *from, const char *to)
{
    const char *run = from;
    bool broken = false;
    qint64 cell = count();
    for (const char *p = from; p < to;) {
        if (*p == '\n') {
            broken = true;
            cell = 0;
            ++p;
            continue;
        }
        const Character c = characterAt(p, to - p);
        if (c.width == 2 && cell % m_columns == m_columns - 1) {
            appendRun(run, p, broken, broken ? cell : cell - count());
            appendRun(" ", " " + 1, false, 1);
            run = p;
            broken = false;
            cell = count();
            continue;
        }
        cell += c.width;
        p += c.size;
    }
    appendRun(run, to, broken, broken ? cell : cell - count());
}

// Appends [from, to), whose last line takes `cells` cells, after a break in
// it when `broken`.
void LineEditor::appendRun(const char *from, const char *to, bool broken, qint64 cells)
{
    if (from == to)
        return;
    flushAppended();
    m_rewrittenFrom = std::min(m_rewrittenFrom, m_text.size());
    m_text.rewriteLastLine(m_text.size(), from, to - from, m_arrival);
    m_base = m_text.size();
    if (broken) {
        m_cursor = 0;
        m_wrapPending = false;
        m_saved = 0;
    }
    const qint64 next = broken ? 0 : count();
    m_baseCell = next + cells;
    if (cells == 0)
        return;
    const qint64 last = next + cells - 1;
    m_wrapPending = last % m_columns == m_columns - 1;
    m_cursor = m_wrapPending ? last : last + 1;
}

void LineEditor::text(const char *bytes, qint64 count)
{
    if (atPlainEnd()) {
        appendPlain(bytes, bytes + count);
        return;
    }
    putCharacters(bytes, count);
}

// One byte, or with UTF-8 on one character: a sequence cut short is one
// invalid byte, as the bytes after it break it.
LineEditor::Character LineEditor::characterAt(const char *bytes, qint64 available) const
{
    if (!m_utf8 || uchar(*bytes) < 0x80)
        return {1, 1};
    const Utf8Decoder::Decoded decoded = Utf8Decoder::decode(bytes, available);
    if (decoded.status != Utf8Decoder::Status::Valid)
        return {1, 1};
    return {decoded.length, WideCharacters::isWide(decoded.code) ? 2 : 1};
}

void LineEditor::putCharacters(const char *bytes, qint64 count)
{
    for (qint64 i = 0; i < count;) {
        const Character c = characterAt(bytes + i, count - i);
        put(bytes + i, c.size, c.width);
        i += c.size;
    }
}

// A broken sequence is drawn as it came, its controls acted on; with device
// colours on, less its
// ESC, which the store would otherwise join to the characters after it into
// a colour sequence the cursor does not count.
void LineEditor::literal(const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size();) {
        const char *c = bytes.constData() + i;
        Character character {1, 1};
        if (*c == '\x1b') {
            if (!m_text.colours())
                put(c, 1, 1);
        } else if (uchar(*c) < 0x20) {
            control(*c);
        } else {
            character = characterAt(c, bytes.size() - i);
            put(c, character.size, character.width);
        }
        i += character.size;
    }
}

// A character `width` cells wide at the cursor.
void LineEditor::put(const char *bytes, int size, int width)
{
    if (m_wrapPending) {
        m_wrapPending = false;
        ++m_cursor;
    }
    if (width == 2 && m_cursor % m_columns == m_columns - 1) {
        // It does not fit in the row's last cell: it goes to the next row.
        padTo(m_cursor + 1);
        ++m_cursor;
    }
    padTo(m_cursor);
    load(m_cursor);
    splitWide(m_cursor);
    splitWide(m_cursor + width);
    putHalf(m_cursor, bytes, size);
    m_pendingStyles.clear();
    if (width == 2)
        putHalf(m_cursor + 1, nullptr, 0);
    dirty(m_cursor);
    m_cursor += width - 1;
    if (m_cursor % m_columns == m_columns - 1)
        m_wrapPending = true;
    else
        ++m_cursor;
}

// Writes the cell at `index`, at most one past the end; the colour sequences
// received since the last character go with it.
void LineEditor::putHalf(qint64 index, const char *bytes, int size)
{
    if (index < count()) {
        Cell &target = cell(index);
        target.set(bytes, size);
        if (!m_pendingStyles.isEmpty() && !target.styles.endsWith(m_pendingStyles))
            target.styles = compactStyles(target.styles + m_pendingStyles);
    } else {
        m_cells.push_back({{}, 0, m_trailingStyles + m_pendingStyles});
        m_cells.back().set(bytes, size);
        m_trailingStyles.clear();
    }
}

// Writing over either half of a wide character blanks the whole of it, as a
// terminal does: `index` is the first cell written or the one after the
// last.
void LineEditor::splitWide(qint64 index)
{
    if (!m_utf8 || index >= count())
        return;
    load(index);
    if (cell(index).size != 0)
        return;
    // The window never starts with a right half, so its left one is here.
    cell(index - 1).blank();
    cell(index).blank();
    dirty(index - 1);
}

void LineEditor::control(char c)
{
    switch (c) {
    case '\r':
        m_cursor = rowStart();
        m_wrapPending = false;
        keepPendingStylesAtEnd();
        break;
    case '\n':
        lineFeed();
        break;
    case '\b':
        m_wrapPending = false;
        m_cursor = std::max<qint64>(0, m_cursor - 1);
        break;
    case '\t':
        moveTo(std::min(rowEnd() - 1, rowStart() + (m_cursor % m_columns / 8 + 1) * 8));
        break;
    case '\a':
        ++m_bells;
        break;
    case '\0':
        break;
    default:
        put(&c, 1, 1);
    }
}

// Down a row while the line has one below, as readline moves to a wrapped
// line's end; from its last row the line ends: what is on it stays, and the
// next line starts at its first column.
void LineEditor::lineFeed()
{
    if (row() < std::max<qint64>(0, count() - 1) / m_columns) {
        m_wrapPending = false;
        m_cursor += m_columns;
        return;
    }
    if (!m_cells.empty() || !m_trailingStyles.isEmpty() || m_dirtyCell != clean) {
        flushWindow(true);
    } else {
        m_appended += m_pendingStyles;
        m_appended += '\n';
    }
    m_pendingStyles.clear();
    m_cells.clear();
    m_trailingStyles.clear();
    m_dirtyCell = clean;
    m_base = m_text.size();
    m_baseCell = 0;
    m_cursor = 0;
    m_wrapPending = false;
    m_saved = 0;
}

// A colour sequence at the end of the line is kept at once; inside it,
// with the next character written.
void LineEditor::style(const QByteArray &sequence)
{
    if ((m_wrapPending ? m_cursor + 1 : m_cursor) < count()) {
        m_pendingStyles += sequence;
    } else if (m_cells.empty() && m_trailingStyles.isEmpty() && m_pendingStyles.isEmpty() && m_dirtyCell == clean) {
        m_appended += sequence;
    } else {
        // Those received inside the line before, then this one.
        dirty(count());
        m_trailingStyles += m_pendingStyles + sequence;
        m_pendingStyles.clear();
    }
}

// A line above that fills its last rows may be the first rows of this one,
// wrapped by an editor with CR LF (BusyBox does): moving up into it takes
// the break out. The cursor keeps its cell.
bool LineEditor::joinPreviousLine()
{
    flushWindow(false);
    const qint64 lastLine = m_text.lineCount() - 1;
    if (lastLine == 0 || m_text.marksBefore(lastLine) > 0)
        return false;
    const qint64 above = m_text.lineStart(lastLine - 1);
    const qint64 lineBreak = m_text.lineStart(lastLine) - 1;
    const qint64 cellsAbove = cellsIn(above, lineBreak);
    if (cellsAbove == 0 || cellsAbove % m_columns != 0)
        return false;
    const qint64 cursor = m_cursor;
    m_text.remove(lineBreak, lineBreak + 1);
    m_rewrittenFrom = std::min(m_rewrittenFrom, lineBreak);
    resync();
    m_cursor = cellsAbove + cursor;
    return true;
}

void LineEditor::moveTo(qint64 index)
{
    m_wrapPending = false;
    m_cursor = std::max<qint64>(0, index);
    padTo(m_cursor);
    keepPendingStylesAtEnd();
}

// Colour sequences received inside the line stay with the cursor until a
// character takes them, or, once it is at the end, stay there.
void LineEditor::keepPendingStylesAtEnd()
{
    if (m_pendingStyles.isEmpty() || m_cursor < count())
        return;
    dirty(count());
    m_trailingStyles += m_pendingStyles;
    m_pendingStyles.clear();
}

// A terminal shows blanks where the cursor went past the text.
void LineEditor::padTo(qint64 index)
{
    if (index <= count())
        return;
    dirty(count());
    const size_t first = m_cells.size();
    m_cells.resize(first + size_t(index - count()), Cell {});
    // The blanks follow the colour sequences already at the end.
    m_cells[first].styles.swap(m_trailingStyles);
}

void LineEditor::load(qint64 index)
{
    flushAppended();
    const qint64 lineStart = m_text.lineStart(m_text.lineCount() - 1);
    while (index < m_baseCell && m_base > lineStart)
        loadMore();
}

// Reads the line's cells before the window, more each time; a colour
// sequence goes with the character after it.
void LineEditor::loadMore()
{
    const qint64 lineStart = m_text.lineStart(m_text.lineCount() - 1);
    const qint64 chunk = std::clamp<qint64>(2 * qint64(m_cells.size()), 256, ConsoleText::maxArraySize / 2);
    qint64 from = std::max(lineStart, m_base - chunk);
    if (m_utf8)
        from = characterStart(from, lineStart);
    const ColourRuns *runs = m_text.colours();
    qint64 next = runs ? runs->firstEndingAfter(from) : 0;
    if (runs && next < runs->count() && runs->start(next) < from)
        from = std::max(lineStart, runs->start(next));
    const QByteArray bytes = m_text.mid(from, m_base - from);
    std::vector<Cell> loaded;
    QByteArray styles;
    for (qint64 p = from; p < m_base;) {
        const char *at = bytes.constData() + (p - from);
        if (runs && next < runs->count() && runs->start(next) == p) {
            const qint64 sequenceEnd = std::min(runs->end(next), m_base);
            styles.append(at, int(sequenceEnd - p));
            p = sequenceEnd;
            ++next;
            continue;
        }
        const Character c = characterAt(at, m_base - p);
        loaded.push_back({{}, 0, styles});
        loaded.back().set(at, c.size);
        if (c.width == 2)
            loaded.push_back({{}, 0, {}});
        styles.clear();
        p += c.size;
    }
    if (m_cells.empty())
        m_trailingStyles.prepend(styles);
    else
        m_cells.front().styles.prepend(styles);
    m_baseCell -= qint64(loaded.size());
    m_cells.insert(m_cells.begin(), std::make_move_iterator(loaded.begin()), std::make_move_iterator(loaded.end()));
    m_base = from;
}

// Where a chunk read before `position` starts: a character's lead byte is
// at most three bytes back, and a byte that starts none is one on its own.
qint64 LineEditor::characterStart(qint64 position, qint64 lineStart) const
{
    qint64 lead = position;
    while (lead > lineStart && lead > position - 3 && isContinuation(m_text.at(lead)))
        --lead;
    return isContinuation(m_text.at(lead)) ? position : lead;
}

// The cells of the line's text in [from, to); colour sequences take none.
qint64 LineEditor::cellsIn(qint64 from, qint64 to) const
{
    qint64 cells = to - from - (m_text.colours() ? m_text.colours()->hiddenIn(from, to) : 0);
    if (!m_utf8)
        return cells;
    const QByteArray bytes = m_text.mid(from, to - from);
    const char *const end = bytes.constData() + bytes.size();
    for (const char *p = bytes.constData(); p < end;) {
        const Character c = characterAt(p, end - p);
        cells += c.width - c.size;
        p += c.size;
    }
    return cells;
}

void LineEditor::erase(qint64 from, qint64 to)
{
    from = std::max<qint64>(0, from);
    to = std::min(to, count());
    if (from >= to)
        return;
    if (to == count()) {
        truncate(from);
        padTo(m_cursor);
        return;
    }
    load(from);
    dirty(from);
    splitWide(from);
    splitWide(to);
    for (qint64 i = from; i < to; ++i)
        cell(i).blank();
}

void LineEditor::truncate(qint64 from)
{
    if (from >= count())
        return;
    removeCells(from, count() - from);
}

// The cells' colour sequences stay, on the cell that moves into their place.
void LineEditor::removeCells(qint64 from, qint64 n)
{
    if (from >= count() || n <= 0)
        return;
    const qint64 rowEnd = (from / m_columns + 1) * m_columns;
    const bool lastRow = rowEnd >= count();
    n = std::min(n, (lastRow ? count() : rowEnd) - from);
    load(from);
    dirty(from);
    splitWide(from);
    splitWide(from + n);
    QByteArray styles;
    const auto first = m_cells.begin() + (from - m_baseCell);
    for (auto it = first; it != first + n; ++it)
        styles += it->styles;
    m_cells.erase(first, first + n);
    QByteArray &next = from < count() ? cell(from).styles : m_trailingStyles;
    if (!styles.isEmpty())
        next = compactStyles(styles + next);
    // A row that wraps onto another keeps its width.
    if (!lastRow)
        m_cells.insert(m_cells.begin() + (rowEnd - n - m_baseCell), size_t(n), Cell {});
}

// Blanks pushed past the row's end push its last cells out.
void LineEditor::insertBlanks(qint64 at, qint64 n)
{
    if (at >= count() || n <= 0)
        return;
    const qint64 rowEnd = (at / m_columns + 1) * m_columns;
    const bool lastRow = rowEnd >= count();
    n = std::min(n, rowEnd - at);
    load(at);
    dirty(at);
    splitWide(at);
    m_cells.insert(m_cells.begin() + (at - m_baseCell), size_t(n), Cell {});
    if (!lastRow)
        removeCells(rowEnd, n);
    else if (count() > rowEnd)
        removeCells(rowEnd, count() - rowEnd);
}

void LineEditor::flushAppended()
{
    if (m_appended.isEmpty())
        return;
    const qint64 from = m_text.size();
    m_text.rewriteLastLine(from, m_appended.constData(), m_appended.size(), m_arrival);
    m_rewrittenFrom = std::min(m_rewrittenFrom, from);
    m_appended.clear();
    // Cells in the window now are new: they follow what was appended.
    m_base = m_text.size();
}

// Writes the window from its first changed cell on, and the break when the
// line ends.
void LineEditor::flushWindow(bool lineBreak)
{
    flushAppended();
    if (!m_pendingStyles.isEmpty() && lineBreak) {
        dirty(count());
        m_trailingStyles += m_pendingStyles;
        m_pendingStyles.clear();
    }
    if (m_dirtyCell == clean && !lineBreak)
        return;
    qint64 from = m_base;
    QByteArray out;
    qint64 index = m_baseCell;
    for (const Cell &cell : m_cells) {
        if (index++ < m_dirtyCell) {
            from += cell.styles.size() + cell.size;
        } else {
            out += cell.styles;
            out.append(cell.bytes.data(), cell.size);
        }
    }
    if (m_dirtyCell <= count())
        out += m_trailingStyles;
    else
        from += m_trailingStyles.size();
    if (lineBreak)
        out += '\n';
    m_text.rewriteLastLine(from, out.constData(), out.size(), m_arrival);
    m_rewrittenFrom = std::min(m_rewrittenFrom, from);
    m_dirtyCell = clean;
}

// The window keeps the cells from the cursor on, and the whole of a wide
// character it is in: what is before it is in the text as it is.
void LineEditor::settle()
{
    load(std::min(m_cursor, count()));
    qint64 dropped = std::min(m_cursor, count()) - m_baseCell;
    if (dropped > 0 && dropped < qint64(m_cells.size()) && m_cells[size_t(dropped)].size == 0)
        --dropped;
    if (dropped > 0) {
        for (auto it = m_cells.begin(); it != m_cells.begin() + dropped; ++it)
            m_base += it->styles.size() + it->size;
        m_cells.erase(m_cells.begin(), m_cells.begin() + dropped);
        m_baseCell += dropped;
    }
    if (m_cells.empty()) {
        m_base += m_trailingStyles.size();
        m_trailingStyles.clear();
        m_cursorPosition = m_text.size();
    } else {
        m_cursorPosition = m_base + m_cells.front().styles.size();
    }
    m_syncedSize = m_text.size();
    m_syncedLines = m_text.lineCount();
    m_syncedColours = m_text.colours() != nullptr;
}
