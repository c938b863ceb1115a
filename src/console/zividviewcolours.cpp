// ZIvidView's device colours and UTF-8: switching them on and off, which
// changes the cells of text already laid out.

#include "zividview.h"

#include <QScrollBar>

// Rows change where cells appear or go: the line at the top stays there,
// unless the view follows the end.
void ZIvidView::relayOutKeepingTopLine(const std::function<void()> &change)
{
    const qint64 topLine = m_consoleViewport.lineOfRow(verticalScrollBar()->value());
    change();
    updateRows();
    if (!m_consoleViewport.pinned())
        keepTopLine(topLine);
    scheduleRefresh();
    viewport()->update();
}

void ZIvidView::setDeviceColours(bool on)
{
    if (on == deviceColours())
        return;
    relayOutKeepingTopLine([this, on] {
        m_text.setDeviceColours(on);
        // A match inside a sequence that is not drawn could not be shown.
        if (on)
            m_search->setMatchFilter([this](qint64 from, qint64 to) { return !overlapsHiddenSequence(from, to); });
        else
            m_search->setMatchFilter(nullptr);
    });
}

void ZIvidView::setUtf8(bool on)
{
    if (on == utf8())
        return;
    relayOutKeepingTopLine([this, on] {
        m_text.setUtf8(on);
        if (m_lineEditor)
            m_lineEditor->setUtf8(on);
        // The pattern's bytes and folding follow the text's encoding.
        if (m_search->isActive())
            m_search->setPattern(m_search->pattern(), m_search->caseSensitivity());
    });
}
