#include "hexview.h"

#include "hexdumprow.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

HexView::HexView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Some platform plugins, offscreen among them, answer with a
    // proportional font, which would break the columns.
    if (!QFontInfo(font).fixedPitch()) {
        font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("Courier New"), QStringLiteral("monospace")});
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBars();
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setInterval(40);
    connect(&m_repaintTimer, &QTimer::timeout, this, &HexView::showAppended);
}

void HexView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

bool HexView::isReadOnly() const
{
    return m_readOnly;
}

QByteArray HexView::data() const
{
    if (m_chunks.size() == 1)
        return m_chunks.front();
    QByteArray all;
    all.reserve(int(std::min<qint64>(m_size, INT_MAX)));
    for (const QByteArray &chunk : m_chunks)
        all += chunk;
    return all;
}

void HexView::setData(const QByteArray &data)
{
    m_chunks.clear();
    m_size = 0;
    appendData(data);
    m_repaintTimer.stop();
    updateScrollBars();
    viewport()->update();
}

void HexView::appendData(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    for (int done = 0; done < data.size();) {
        if (m_chunks.empty() || m_chunks.back().size() == chunkSize)
            m_chunks.emplace_back();
        QByteArray &chunk = m_chunks.back();
        const int piece = std::min(data.size() - done, chunkSize - chunk.size());
        if (chunk.isEmpty() && piece == data.size()) {
            chunk = data; // shared with the caller, copied only when appended to
        } else {
            // Filled in place up to the reserve, never grown past it.
            if (chunk.capacity() < chunkSize)
                chunk.reserve(chunkSize);
            chunk.append(data.constData() + done, piece);
        }
        done += piece;
        m_size += piece;
    }
    // Setting the scroll bars repaints them, and a repaint costs far more
    // than a small append: a stream of appends is shown at most once per
    // interval.
    if (!m_repaintTimer.isActive())
        m_repaintTimer.start();
}

void HexView::scrollToEnd()
{
    updateScrollBars();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void HexView::showAppended()
{
    updateScrollBars();
    viewport()->update();
}

qint64 HexView::rowCount() const
{
    return (m_size + hexDumpBytesPerRow - 1) / hexDumpBytesPerRow;
}

QString HexView::rowText(qint64 row) const
{
    const qint64 offset = row * hexDumpBytesPerRow;
    const QByteArray &chunk = m_chunks[size_t(offset / chunkSize)];
    const int inChunk = int(offset % chunkSize);
    const int count = std::min(hexDumpBytesPerRow, int(chunk.size()) - inChunk);
    return hexDumpRow(offset, chunk.constData() + inChunk, count, addressDigits());
}

// Past 4 GiB every row takes the digits the last one needs, so the columns
// stay lined up.
int HexView::addressDigits() const
{
    return hexDumpAddressDigits(std::max<qint64>(0, rowCount() - 1) * hexDumpBytesPerRow);
}

int HexView::margin() const
{
    return fontMetrics().horizontalAdvance(QLatin1Char(' ')) / 2;
}

// The vertical scroll bar counts rows, the horizontal one pixels.
void HexView::updateScrollBars()
{
    const int lineHeight = fontMetrics().height();
    const int pageRows = qMax(1, viewport()->height() / lineHeight);
    // At the maximum the last row sits fully visible at the bottom.
    verticalScrollBar()->setRange(0, int(std::clamp<qint64>(rowCount() - pageRows, 0, INT_MAX)));
    verticalScrollBar()->setPageStep(pageRows);

    const int rowLength = hexDumpRowLength - 8 + addressDigits();
    const int rowWidth = 2 * margin() + fontMetrics().horizontalAdvance(QString(rowLength, QLatin1Char('0')));
    horizontalScrollBar()->setRange(0, qMax(0, rowWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void HexView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = metrics.height();
    const qint64 topRow = verticalScrollBar()->value();
    const QRect exposed = event->rect();
    const qint64 firstRow = topRow + exposed.top() / lineHeight;
    const qint64 endRow = std::min(rowCount(), topRow + exposed.bottom() / lineHeight + 1);
    const int x = margin() - horizontalScrollBar()->value();

    for (qint64 row = firstRow; row < endRow; ++row) {
        const int baseline = int(row - topRow) * lineHeight + metrics.ascent();
        painter.drawText(x, baseline, rowText(row));
    }
}

// A view showing the last row keeps showing it when it grows or shrinks.
void HexView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    updateScrollBars();
    if (atEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

// Switched on in the middle of a session, the view opens on the newest rows,
// not where it was scrolled while hidden.
void HexView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    scrollToEnd();
}

void HexView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

void HexView::keyPressEvent(QKeyEvent *event)
{
    // There is no cursor inside a row, so Home and End go to the first and
    // last row with or without Ctrl.
    QAbstractSlider::SliderAction action;
    switch (event->key()) {
    case Qt::Key_Up:
        action = QAbstractSlider::SliderSingleStepSub;
        break;
    case Qt::Key_Down:
        action = QAbstractSlider::SliderSingleStepAdd;
        break;
    case Qt::Key_PageUp:
        action = QAbstractSlider::SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = QAbstractSlider::SliderPageStepAdd;
        break;
    case Qt::Key_Home:
        action = QAbstractSlider::SliderToMinimum;
        break;
    case Qt::Key_End:
        action = QAbstractSlider::SliderToMaximum;
        break;
    default:
        // The base scrolls sideways on Left and Right and ignores the rest,
        // so typed keys go to the parent and never reach the content.
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    verticalScrollBar()->triggerAction(action);
    event->accept();
}
