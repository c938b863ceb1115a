// ZIvidView's device colours: switching them, and the colours a style draws in.

#include "zividview.h"

#include <QScrollBar>

#include <climits>

namespace {

QColor fromStyle(quint32 colour)
{
    return QColor(QRgb(colour & 0xffffff));
}

QColor mixed(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

// Rows change where sequences were hidden or shown: the line at the top
// stays there, unless the view follows the end.
void ZIvidView::setDeviceColours(bool on)
{
    if (on == deviceColours())
        return;
    qint64 rowInLine = 0;
    const qint64 topLine = m_rows.lineOfRow(verticalScrollBar()->value(), &rowInLine);
    m_text.setDeviceColours(on);
    // A match inside a sequence that is not drawn could not be shown.
    if (on)
        m_search->setMatchFilter([this](qint64 from, qint64 to) { return !overlapsHiddenSequence(from, to); });
    else
        m_search->setMatchFilter(nullptr);
    updateRows();
    if (!m_pinned) {
        refresh();
        verticalScrollBar()->setValue(int(std::min<qint64>(INT_MAX, m_rows.firstRowOf(topLine))));
    }
    scheduleRefresh();
    viewport()->update();
}

ZIvidView::DeviceInk ZIvidView::deviceInk(const TextStyle &style, const QColor &text, const QColor &back) const
{
    DeviceInk ink {text, QColor(), style.bold};
    if (style.foreground)
        ink.text = isEnabled() ? fromStyle(style.foreground) : mixed(fromStyle(style.foreground), back);
    if (style.background)
        ink.back = fromStyle(style.background);
    return ink;
}

QFont ZIvidView::boldFont() const
{
    QFont font = m_drawingFont;
    font.setBold(true);
    return font;
}
