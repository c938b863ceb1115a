#include "zividview.h"

#include "appearancepicker.h"
#include "chunkmemory.h"
#include "consolestylesheet.h"
#include "holdmarker.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

ZIvidView::ZIvidView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_termFont(QStringLiteral("Courier New"), 10, 50, false)
    , m_fontColor(255, 255, 255, 255)
    , m_backColor(67, 136, 101, 255)
    , m_consoleViewport(m_text, m_rows)
    , m_painter(m_text, m_rows, m_consoleViewport)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    viewport()->setCursor(Qt::IBeamCursor);
    // paintEvent covers every pixel: nothing below needs painting first.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { m_consoleViewport.scrolledTo(value == verticalScrollBar()->maximum()); });
    applyFont();
    setUpFind();
    if (QGuiApplication::clipboard()->supportsSelection())
        m_primarySelection = [] { return QGuiApplication::clipboard()->text(QClipboard::Selection); };
}

void ZIvidView::displayData(const QByteArray &data)
{
    displayData(data, QDateTime::currentMSecsSinceEpoch());
}

void ZIvidView::displayData(const QByteArray &data, qint64 arrival)
{
    appendBatch(data, arrival);
    updateRows();
    followOutput();
}

void ZIvidView::displayBatches(const QList<QByteArray> &batches, const QList<qint64> &arrivals)
{
    const qint64 now = arrivals.size() < batches.size() ? QDateTime::currentMSecsSinceEpoch() : 0;
    for (int i = 0; i < batches.size(); ++i)
        appendBatch(batches.at(i), i < arrivals.size() ? arrivals.at(i) : now);
    updateRows();
    followOutput();
}

// Backspaces from the device erase text from the end; a selection over
// what they erase keeps what is left of it.
void ZIvidView::appendBatch(const QByteArray &batch, qint64 arrival)
{
    if (m_lineEditor) {
        receiveEdited(batch, arrival);
        return;
    }
    m_consoleViewport.keepSelectionBefore(m_text.append(batch, arrival));
}

// Notes the first row that changed, so that a view that did not scroll
// repaints only from there down: a growing last line costs one row.
void ZIvidView::updateRows()
{
    const qint64 line = std::min(m_text.firstChangedLine(), m_text.lineCount() - 1);
    m_search->noteTextChanges();
    m_rows.update(m_text);
    m_changedFromRow = std::min(m_changedFromRow, m_rows.firstRowOf(line));
    if (const std::optional<qint64> from = m_text.takeRewrite())
        emit textRewritten(*from);
}

void ZIvidView::clear()
{
    const bool large = m_text.size() > ConsoleText::defaultChunkSize;
    m_text.clear();
    updateRows();
    // The index and the rows' pieces sit in the heap, which keeps them
    // unless asked; a short text is not worth the walk over it.
    if (large)
        releaseFreedMemory();
    m_consoleViewport.select(0, 0);
    pinToEnd();
}

void ZIvidView::markDisconnected(const QTime &time)
{
    m_text.addMark(time);
    updateRows();
    scheduleRefresh();
}

// The scroll bar and the screen catch up once per pass of the event loop,
// however many batches arrive in it.
void ZIvidView::pinToEnd()
{
    m_consoleViewport.pinToEnd();
    scheduleRefresh();
}

void ZIvidView::followOutput()
{
    m_consoleViewport.outputArrived();
    scheduleRefresh();
}

void ZIvidView::setHoldOutput(bool on)
{
    if (on == holdOutput())
        return;
    m_consoleViewport.setHold(on);
    if (!m_holdMarker) {
        m_holdMarker = new HoldMarker(viewport());
        connect(m_holdMarker, &HoldMarker::clicked, this, [this] {
            m_consoleViewport.setPinned(true);
            refresh();
        });
    }
    if (!on)
        pinToEnd();
    updateHoldMarker();
}

qint64 ZIvidView::linesBelow() const
{
    return m_consoleViewport.linesBelow(verticalScrollBar()->value(), pageRows());
}

void ZIvidView::updateHoldMarker()
{
    if (m_holdMarker)
        m_holdMarker->setLinesBelow(holdOutput() ? linesBelow() : 0);
}

void ZIvidView::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &ZIvidView::refresh, Qt::QueuedConnection);
}

void ZIvidView::refresh()
{
    m_refreshPending = false;
    QScrollBar *bar = verticalScrollBar();
    const bool pinned = m_consoleViewport.pinned();
    const int top = bar->value();
    const int page = pageRows();
    const qint64 maximum = std::min<qint64>(INT_MAX, std::max<qint64>(0, m_rows.rowCount() - page));
    bar->setPageStep(page);
    bar->setRange(0, int(maximum));
    if (pinned)
        bar->setValue(bar->maximum());
    m_consoleViewport.scrolledTo(bar->value() == bar->maximum());
    if (pinned)
        m_consoleViewport.setPinned(true);
    const qint64 changed = m_changedFromRow - top;
    m_changedFromRow = std::numeric_limits<qint64>::max();
    if (bar->value() == top && changed > 0) {
        if (changed < page + 1)
            viewport()->update(0, int(changed) * m_painter.lineHeight(), viewport()->width(), viewport()->height());
    } else {
        viewport()->update();
    }
    updateHoldMarker();
}

int ZIvidView::pageRows() const
{
    return std::max(1, viewport()->height() / m_painter.lineHeight());
}

void ZIvidView::updateColumns()
{
    const qreal width = viewport()->width() - m_painter.textLeft() - ConsolePainter::margin;
    const int columns = std::max(1, int(width / m_painter.cellWidth()));
    if (columns == m_rows.columns() && m_rows.rowCount() > 0)
        return;
    // The line at the top stays at the top, unless the view follows the end.
    const qint64 topLine = m_consoleViewport.lineOfRow(verticalScrollBar()->value());
    m_rows.update(m_text);
    m_rows.setColumns(m_text, columns);
    if (!m_consoleViewport.pinned() && topLine >= 0)
        keepTopLine(topLine);
    scheduleRefresh();
}

void ZIvidView::keepTopLine(qint64 topLine)
{
    refresh();
    verticalScrollBar()->setValue(int(std::min<qint64>(INT_MAX, m_rows.firstRowOf(topLine))));
}

void ZIvidView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateColumns();
    refresh();
    viewport()->update();
    if (m_holdMarker)
        m_holdMarker->place();
}

void ZIvidView::scrollContentsBy(int, int)
{
    viewport()->update();
    updateHoldMarker();
}

void ZIvidView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        viewport()->update();
    else if (event->type() == QEvent::ActivationChange)
        viewport()->update(caretRect());
}

void ZIvidView::applyFont()
{
    m_painter.setFont(ConsolePainter::drawingFontFor(m_termFont), viewport());
    updateColumns();
    refresh();
    viewport()->update();
    if (m_holdMarker)
        m_holdMarker->place();
}

// Rows sit at the top; with the view at the end the last row is the last
// whole one, so the top row is never cut.
// Only the rows the event exposes are drawn: a small batch repaints the
// last row, not the screen.
void ZIvidView::paintEvent(QPaintEvent *event)
{
    if (m_refreshPending)
        refresh();
    QPainter painter(viewport());
    ConsolePainter::Frame frame;
    frame.exposed = event->rect();
    const int lineHeight = m_painter.lineHeight();
    frame.topRow = verticalScrollBar()->value();
    frame.firstRow = frame.topRow + std::max(0, frame.exposed.top()) / lineHeight;
    frame.endRow = std::min(m_rows.rowCount(), frame.topRow + std::max(0, frame.exposed.bottom()) / lineHeight + 1);
    collectVisibleMatches(frame.firstRow, frame.endRow);
    frame.fontColor = m_fontColor;
    frame.backColor = m_backColor;
    frame.enabled = isEnabled();
    frame.highlight = palette().color(QPalette::Highlight);
    frame.highlightedText = palette().color(QPalette::HighlightedText);
    if (isActiveWindow() && !m_caretFlashing)
        frame.caret = caretRect();
    frame.matches = &m_visibleMatches;
    frame.current = m_search->current();
    m_painter.paint(painter, frame);
}

// The cell after the last character, or with line editing the device's
// cursor; a bar after the row's last cell when that row is full. Empty when
// off screen.
QRect ZIvidView::caretRect() const
{
    const int lineHeight = m_painter.lineHeight();
    const qint64 cursor = m_lineEditor ? m_lineEditor->cursorPosition() : 0;
    const qint64 row = !m_lineEditor || m_rows.rowCount() == 0 ? m_rows.rowCount() - 1
                                                                : m_consoleViewport.rowOfPosition(cursor);
    const qint64 y = (row - verticalScrollBar()->value()) * lineHeight;
    if (row < 0 || y < 0 || y >= viewport()->height())
        return {};
    const int column = m_lineEditor ? m_consoleViewport.columnOf(cursor) : m_consoleViewport.caretColumn();
    const int x = int(m_painter.textLeft() + column * m_painter.cellWidth());
    if (column >= m_rows.columns())
        return QRect(x, int(y), std::max(1, ConsolePainter::margin / 2), lineHeight);
    return QRect(x, int(y), int(std::ceil(m_painter.cellWidth())), lineHeight);
}

qint64 ZIvidView::positionAt(const QPoint &point) const
{
    const qint64 row = verticalScrollBar()->value() + std::max(0, point.y()) / m_painter.lineHeight();
    return m_consoleViewport.positionAt(row, point.x() - m_painter.textLeft(), m_painter.cellWidth());
}

void ZIvidView::setTimestampMode(TimestampMode mode)
{
    if (mode == timestampMode())
        return;
    m_consoleViewport.setTimestampMode(mode);
    updateColumns();
    viewport()->update();
}

QString ZIvidView::timestampLabel(qint64 line) const
{
    return m_consoleViewport.timestampLabel(line);
}

void ZIvidView::dragEnterEvent(QDragEnterEvent *) {}
void ZIvidView::dragMoveEvent(QDragMoveEvent *) {}
void ZIvidView::dragLeaveEvent(QDragLeaveEvent *) {}
void ZIvidView::dropEvent(QDropEvent *) {}

void ZIvidView::setTermFont(const QFont &font)
{
    m_termFont = font;
    applyStyleSheet();
    applyFont();
}

void ZIvidView::setFontColor(const QColor &color)
{
    if (!color.isValid())
        return;
    m_fontColor = color;
    applyStyleSheet();
}

void ZIvidView::setBackColor(const QColor &color)
{
    m_backColor = color;
    applyStyleSheet();
}

// The sheet is kept for what reads it; the text is drawn from the values
// themselves, since a sheet's weights are not QFont's.
void ZIvidView::applyStyleSheet()
{
    setStyleSheet(consoleStyleSheet(m_termFont, m_fontColor, m_backColor));
    viewport()->update();
}

void ZIvidView::setAppearancePicker(std::shared_ptr<AppearancePicker> picker)
{
    m_appearancePicker = std::move(picker);
}

void ZIvidView::changeFont()
{
    if (!m_appearancePicker)
        return;
    if (const std::optional<QFont> font = m_appearancePicker->pickFont(drawingFont(), this))
        setTermFont(*font);
}

void ZIvidView::changeFontColor()
{
    if (!m_appearancePicker)
        return;
    const QColor color = m_appearancePicker->pickColor(m_fontColor, this, tr("Font color"));
    if (color.isValid())
        setFontColor(color);
}

void ZIvidView::changeBackColor()
{
    if (!m_appearancePicker)
        return;
    const QColor color = m_appearancePicker->pickColor(m_backColor, this, tr("Background color"));
    if (color.isValid())
        setBackColor(color);
}
