// The console's part in Find: where a search starts, the match found
// brought into view, and the matches on screen drawn.

#include "zividview.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// Translucent, so the text keeps its own colour on any background.
const QColor matchColor(255, 220, 0, 110);
const QColor currentColor(255, 140, 0, 200);

} // namespace

void ZIvidView::setUpFind()
{
    m_search = new TextSearch(m_text, this);
    connect(m_search, &TextSearch::found, this, [this](qint64 from) { showMatch(from); });
    connect(m_search, &TextSearch::matchesChanged, this, [this] {
        if (m_findOpen)
            viewport()->update();
    });
}

void ZIvidView::setFindOpen(bool open)
{
    m_findOpen = open;
    QScrollBar *bar = verticalScrollBar();
    m_pinned = !open && bar->value() == bar->maximum();
    viewport()->update();
}

qint64 ZIvidView::firstVisiblePosition() const
{
    return positionOfRow(verticalScrollBar()->value());
}

// A mark's rows stand for the start of the line after them.
qint64 ZIvidView::positionOfRow(qint64 row) const
{
    if (row >= m_rows.rowCount())
        return m_text.size();
    qint64 rowInLine = 0;
    const qint64 line = m_rows.lineOfRow(row, &rowInLine);
    const qint64 marks = m_text.marksBefore(line);
    const qint64 start = m_text.lineStart(line);
    return rowInLine < marks ? start : start + m_rows.rowOffset(m_text, line, rowInLine - marks);
}

// A match already on screen leaves the view where it is; another is put a
// third of the way down, with the lines that led to it above.
void ZIvidView::showMatch(qint64 from)
{
    if (m_refreshPending)
        refresh();
    const qint64 line = m_text.lineOf(from);
    const qint64 marks = m_text.marksBefore(line);
    const qint64 firstRow = m_rows.firstRowOf(line) + marks;
    const qint64 endRow = line + 1 < m_text.lineCount() ? m_rows.firstRowOf(line + 1) : m_rows.rowCount();
    const qint64 offset = from - m_text.lineStart(line);
    // The last of the line's rows that starts at or before the match.
    qint64 low = 0;
    qint64 high = std::max<qint64>(1, endRow - firstRow);
    while (high - low > 1) {
        const qint64 middle = (low + high) / 2;
        if (m_rows.rowOffset(m_text, line, middle) <= offset)
            low = middle;
        else
            high = middle;
    }
    const qint64 row = firstRow + low;
    QScrollBar *bar = verticalScrollBar();
    const int page = pageRows();
    if (row < bar->value() || row >= bar->value() + page)
        bar->setValue(int(std::clamp<qint64>(row - page / 3, 0, bar->maximum())));
    viewport()->update();
}

void ZIvidView::collectVisibleMatches(qint64 firstRow, qint64 endRow)
{
    m_visibleMatches.clear();
    if (!m_findOpen || !m_search->isActive() || firstRow >= endRow)
        return;
    m_visibleMatches = m_search->matchesIn(positionOfRow(firstRow), positionOfRow(endRow));
}

// Matches are sorted and equally long, so the last one starting at or
// before a position is the only one that can cover it.
void ZIvidView::fillFindHighlight(QPainter &painter, qint64 position, const QRectF &cell)
{
    auto after = std::upper_bound(m_visibleMatches.begin(), m_visibleMatches.end(), position,
                                  [](qint64 at, const TextSearch::Match &match) { return at < match.from; });
    if (after == m_visibleMatches.begin() || (after - 1)->to <= position)
        return;
    const TextSearch::Match current = m_search->current();
    const bool isCurrent = position >= current.from && position < current.to;
    painter.fillRect(cell, isCurrent ? currentColor : matchColor);
}
