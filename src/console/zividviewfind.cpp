// The console's part in Find: where a search starts, the match found
// brought into view, and the matches on screen found for the painter.

#include "zividview.h"

#include <QScrollBar>

#include <algorithm>

void ZIvidView::setUpFind()
{
    m_search = new TextSearch(m_text, this);
    connect(m_search, &TextSearch::found, this, [this](qint64 from) { showMatch(from); });
    connect(m_search, &TextSearch::matchesChanged, this, [this] {
        if (isFindOpen())
            viewport()->update();
    });
}

void ZIvidView::setFindOpen(bool open)
{
    QScrollBar *bar = verticalScrollBar();
    m_consoleViewport.setFindOpen(open, bar->value() == bar->maximum());
    viewport()->update();
}

qint64 ZIvidView::firstVisiblePosition() const
{
    return m_consoleViewport.positionOfRow(verticalScrollBar()->value());
}

// A match already on screen leaves the view where it is; another is put a
// third of the way down, with the lines that led to it above.
void ZIvidView::showMatch(qint64 from)
{
    if (m_refreshPending)
        refresh();
    const qint64 row = m_consoleViewport.rowOfPosition(from);
    QScrollBar *bar = verticalScrollBar();
    const int page = pageRows();
    if (row < bar->value() || row >= bar->value() + page)
        bar->setValue(int(std::clamp<qint64>(row - page / 3, 0, bar->maximum())));
    viewport()->update();
}

void ZIvidView::collectVisibleMatches(qint64 firstRow, qint64 endRow)
{
    m_visibleMatches.clear();
    if (!isFindOpen() || !m_search->isActive() || firstRow >= endRow)
        return;
    m_visibleMatches = m_search->matchesIn(m_consoleViewport.positionOfRow(firstRow),
                                           m_consoleViewport.positionOfRow(endRow));
}
