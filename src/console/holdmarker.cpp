#include "holdmarker.h"

#include <QLocale>

HoldMarker::HoldMarker(QWidget *parent)
    : QToolButton(parent)
{
    setObjectName(QStringLiteral("holdMarker"));
    setCursor(Qt::ArrowCursor);
    // Clicking it must not take the focus from the console: keys still go
    // to the device.
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(false);
    hide();
}

void HoldMarker::setLinesBelow(qint64 count)
{
    if (count == m_linesBelow && isVisible() == (count > 0))
        return;
    m_linesBelow = count;
    if (count <= 0) {
        hide();
        return;
    }
    const QString number = QLocale().toString(count);
    setText(count == 1 ? tr("1 line below \u25bc") : tr("%1 lines below \u25bc").arg(number));
    setToolTip(tr("Output is held. Click to go to the end."));
    adjustSize();
    place();
    show();
}

void HoldMarker::place()
{
    if (!parentWidget())
        return;
    const int margin = 6;
    const QSize size = sizeHint();
    move(parentWidget()->width() - size.width() - margin, parentWidget()->height() - size.height() - margin);
}
