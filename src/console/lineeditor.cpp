#include "lineeditor.h"

#include "colourruns.h"
#include "consoletext.h"
#include "sgrparser.h"

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
    m_cursor = count();
    m_wrapPending = false;
    m_saved = 0;
    settle();
}

void LineEditor::receive(const QByteArray &batch, qint64 arrival)
{
    m_arrival = arrival;
    if (!inSync())
        resync();
    m_rewrittenFrom = m_text.size();
    const char *p = batch.constData();
    const char *const end = p + batch.size();
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
            put(bytes.front());
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
    flushAppended();
    m_rewrittenFrom = std::min(m_rewrittenFrom, m_text.size());
    m_text.rewriteLastLine(m_text.size(), from, to - from, m_arrival);
    m_base = m_text.size();
    const char *lineStart = to;
    while (lineStart > from && lineStart[-1] != '\n')
        --lineStart;
    const bool broken = lineStart > from;
    if (broken) {
        m_cursor = 0;
        m_wrapPending = false;
        m_saved = 0;
    }
    const qint64 next = broken ? 0 : count();
    const qint64 added = to - lineStart;
    m_baseCell = next + added;
    if (added == 0)
        return;
    const qint64 last = next + added - 1;
    m_wrapPending = last % m_columns == m_columns - 1;
    m_cursor = m_wrapPending ? last : last + 1;
}

void LineEditor::text(const char *bytes, qint64 count)
{
    if (atPlainEnd()) {
        appendPlain(bytes, bytes + count);
        return;
    }
    for (qint64 i = 0; i < count; ++i)
        put(bytes[i]);
}

// A broken sequence is drawn as it came, its controls acted on; with device
// colours on, less its
// ESC, which the store would otherwise join to the characters after it into
// a colour sequence the cursor does not count.
void LineEditor::literal(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (c == '\x1b') {
            if (!m_text.colours())
                put(c);
        } else if (uchar(c) < 0x20) {
            control(c);
        } else {
            put(c);
        }
    }
}

void LineEditor::put(char c)
{
    if (m_wrapPending) {
        m_wrapPending = false;
        ++m_cursor;
    }
    padTo(m_cursor);
    load(m_cursor);
    if (m_cursor < count()) {
        QByteArray &styles = cell(m_cursor).styles;
        cell(m_cursor).c = c;
        if (!m_pendingStyles.isEmpty() && !styles.endsWith(m_pendingStyles))
            styles = compactStyles(styles + m_pendingStyles);
    } else {
        m_cells.push_back({c, m_trailingStyles + m_pendingStyles});
        m_trailingStyles.clear();
    }
    m_pendingStyles.clear();
    dirty(m_cursor);
    if (m_cursor % m_columns == m_columns - 1)
        m_wrapPending = true;
    else
        ++m_cursor;
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
        put(c);
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
    const qint64 cellsAbove = lineBreak - above - (m_text.colours() ? m_text.colours()->hiddenIn(above, lineBreak) : 0);
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
    m_cells.resize(first + size_t(index - count()), Cell {' ', {}});
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
    qint64 from = std::max(lineStart, m_base - std::max<qint64>(256, 2 * qint64(m_cells.size())));
    const ColourRuns *runs = m_text.colours();
    qint64 next = runs ? runs->firstEndingAfter(from) : 0;
    if (runs && next < runs->count() && runs->start(next) < from)
        from = std::max(lineStart, runs->start(next));
    std::vector<Cell> loaded;
    QByteArray styles;
    for (qint64 p = from; p < m_base;) {
        if (runs && next < runs->count() && runs->start(next) == p) {
            const qint64 sequenceEnd = std::min(runs->end(next), m_base);
            styles += m_text.mid(p, sequenceEnd - p);
            p = sequenceEnd;
            ++next;
            continue;
        }
        loaded.push_back({m_text.at(p), styles});
        styles.clear();
        ++p;
    }
    if (m_cells.empty())
        m_trailingStyles.prepend(styles);
    else
        m_cells.front().styles.prepend(styles);
    m_baseCell -= qint64(loaded.size());
    m_cells.insert(m_cells.begin(), std::make_move_iterator(loaded.begin()), std::make_move_iterator(loaded.end()));
    m_base = from;
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
    for (qint64 i = from; i < to; ++i)
        cell(i).c = ' ';
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
        m_cells.insert(m_cells.begin() + (rowEnd - n - m_baseCell), size_t(n), Cell {' ', {}});
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
    m_cells.insert(m_cells.begin() + (at - m_baseCell), size_t(n), Cell {' ', {}});
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
            from += cell.styles.size() + 1;
        } else {
            out += cell.styles;
            out += cell.c;
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

// The window keeps the cells from the cursor on: what is before it is in
// the text as it is.
void LineEditor::settle()
{
    load(std::min(m_cursor, count()));
    const qint64 dropped = std::min(m_cursor, count()) - m_baseCell;
    if (dropped > 0) {
        for (auto it = m_cells.begin(); it != m_cells.begin() + dropped; ++it)
            m_base += it->styles.size() + 1;
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
