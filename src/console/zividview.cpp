#include "zividview.h"

#include "chunkmemory.h"
#include "consolestylesheet.h"
#include "holdmarker.h"
#include "receivedtext.h"
#include "stylecursor.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Off by default: it carries what the user pastes for the device.
Q_LOGGING_CATEGORY(consoleLog, "tarnterm.console", QtInfoMsg)

constexpr int textMargin = 4;

// C0 (tab aside), DEL and C1: no font has a glyph worth showing for them.
bool isControl(uchar c)
{
    return (c < 0x20 && c != '\t') || (c >= 0x7f && c < 0xa0);
}

// Hex digits three pixels wide and five high, a row per entry, the
// leftmost pixel in bit 2: two of them and a gap fit a cell of seven pixels,
// which no font's glyphs squeezed that narrow can match for sharpness.
constexpr uchar hexGlyphs[16][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
    {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 7, 4, 7}, {7, 4, 7, 4, 4},
};
constexpr int hexGlyphWidth = 3;
constexpr int hexGlyphHeight = 5;
constexpr int hexPairWidth = 2 * hexGlyphWidth + 1;

bool isWordChar(uchar c)
{
    return c == '_' || QChar(c).isLetterOrNumber();
}

QColor opaque(const QColor &color)
{
    return color.isValid() ? QColor(color.rgb()) : QColor(Qt::black);
}

QColor blend(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

bool isInstalled(const QString &family)
{
    const QStringList families = QFontDatabase().families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString &f) { return f.compare(family, Qt::CaseInsensitive) == 0; });
}

// By the advances, not the font's own flag: some monospaced faces (Noto Sans
// Mono) do not set it.
bool isMonospaced(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('M'));
    return width > 0 && metrics.horizontalAdvance(QLatin1Char('i')) == width
        && metrics.horizontalAdvance(QLatin1Char('.')) == width;
}

// The chosen font if its family is installed, or if the font system stands a
// fixed-width face in for it (Liberation Mono for Courier New); otherwise
// the system's fixed-width font in the chosen size, weight and style.
QFont drawingFontFor(const QFont &chosen)
{
    if (isInstalled(chosen.family()) || isMonospaced(chosen))
        return chosen;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!isMonospaced(font)) {
        // Some platform plugins, offscreen among them, name a proportional
        // one; "monospace" alone means nothing where fontconfig does not
        // answer (offscreen on Windows).
        font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("Courier New"), QStringLiteral("monospace")});
        font.setStyleHint(QFont::TypeWriter);
    }
    if (chosen.pointSizeF() > 0)
        font.setPointSizeF(chosen.pointSizeF());
    font.setWeight(chosen.weight());
    font.setStyle(chosen.style());
    return QFont(QFontInfo(font).family(), font.pointSize(), font.weight(), font.italic());
}

} // namespace

ZIvidView::ZIvidView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_termFont(QStringLiteral("Courier New"), 10, 50, false)
    , m_fontColor(255, 255, 255, 255)
    , m_backColor(67, 136, 101, 255)
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
            [this](int value) { m_pinned = !m_findOpen && value == verticalScrollBar()->maximum(); });
    applyFont();
    setUpFind();
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

// Backspaces from the device erase text from the end. A selection over
// erased text keeps only what is left of it, so it never covers the text
// written in its place.
void ZIvidView::appendBatch(const QByteArray &batch, qint64 arrival)
{
    if (m_anchor != m_cursor && batch.contains('\b')) {
        const qint64 kept = std::max<qint64>(0, m_text.size() - ReceivedText::fromBatch(batch).screenErasures);
        m_anchor = std::min(m_anchor, kept);
        m_cursor = std::min(m_cursor, kept);
    }
    m_text.append(batch, arrival);
}

// Notes the first row that changed, so that a view that did not scroll
// repaints only from there down: a growing last line costs one row.
void ZIvidView::updateRows()
{
    const qint64 line = std::min(m_text.firstChangedLine(), m_text.lineCount() - 1);
    m_search->noteTextChanges();
    m_rows.update(m_text);
    m_changedFromRow = std::min(m_changedFromRow, m_rows.firstRowOf(line));
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
    m_anchor = m_cursor = 0;
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
    m_pinned = m_pinned || !m_findOpen;
    scheduleRefresh();
}

void ZIvidView::followOutput()
{
    if (!m_hold) {
        pinToEnd();
        return;
    }
    // Held: the rows on screen stay where they are, even at the end.
    m_pinned = false;
    scheduleRefresh();
}

void ZIvidView::setHoldOutput(bool on)
{
    if (on == m_hold)
        return;
    m_hold = on;
    if (!m_holdMarker) {
        m_holdMarker = new HoldMarker(viewport());
        connect(m_holdMarker, &HoldMarker::clicked, this, [this] {
            m_pinned = true;
            refresh();
        });
    }
    if (!on)
        pinToEnd();
    updateHoldMarker();
}

qint64 ZIvidView::linesBelow() const
{
    qint64 rowInLine = 0;
    const qint64 bottomRow = qint64(verticalScrollBar()->value()) + pageRows() - 1;
    if (bottomRow >= m_rows.rowCount() - 1)
        return 0;
    const qint64 line = m_rows.lineOfRow(bottomRow, &rowInLine);
    // A text that ends with a line break ends with an empty line: not one
    // that arrived.
    const qint64 lastLine = m_text.lineCount() - 1;
    const qint64 lines = m_text.lineLength(lastLine) == 0 ? lastLine : lastLine + 1;
    return std::max<qint64>(0, lines - 1 - line);
}

void ZIvidView::updateHoldMarker()
{
    if (m_holdMarker)
        m_holdMarker->setLinesBelow(m_hold ? linesBelow() : 0);
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
    const bool pinned = m_pinned;
    const int top = bar->value();
    const int page = pageRows();
    const qint64 maximum = std::min<qint64>(INT_MAX, std::max<qint64>(0, m_rows.rowCount() - page));
    bar->setPageStep(page);
    bar->setRange(0, int(maximum));
    if (pinned)
        bar->setValue(bar->maximum());
    m_pinned = (!m_findOpen && bar->value() == bar->maximum()) || pinned;
    const qint64 changed = m_changedFromRow - top;
    m_changedFromRow = std::numeric_limits<qint64>::max();
    if (bar->value() == top && changed > 0) {
        if (changed < page + 1)
            viewport()->update(0, int(changed) * m_lineHeight, viewport()->width(), viewport()->height());
    } else {
        viewport()->update();
    }
    updateHoldMarker();
}

int ZIvidView::pageRows() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

void ZIvidView::updateColumns()
{
    const qreal width = viewport()->width() - textLeft() - textMargin;
    const int columns = std::max(1, int(width / m_cellWidth));
    if (columns == m_rows.columns() && m_rows.rowCount() > 0)
        return;
    // The line at the top stays at the top, unless the view follows the end.
    qint64 rowInLine = 0;
    const qint64 topLine = m_rows.lineOfRow(verticalScrollBar()->value(), &rowInLine);
    m_rows.update(m_text);
    m_rows.setColumns(m_text, columns);
    if (!m_pinned && topLine >= 0) {
        refresh();
        verticalScrollBar()->setValue(int(std::min<qint64>(INT_MAX, m_rows.firstRowOf(topLine))));
    }
    scheduleRefresh();
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
    m_drawingFont = drawingFontFor(m_termFont);
    const QFontMetricsF metrics(m_drawingFont, viewport());
    m_lineHeight = std::max(1, int(std::ceil(metrics.height())));
    m_ascent = int(std::ceil(metrics.ascent()));
    qreal advances[256];
    qreal cell = 1;
    for (int c = 0; c < 256; ++c) {
        advances[c] = metrics.horizontalAdvance(QChar(c));
        if (c >= 0x20 && c < 0x7f)
            cell = std::max(cell, advances[c]);
    }
    m_cellWidth = cell;
    // Whole pixels, so the strokes stay sharp: as wide as the cell allows,
    // about as tall as the capitals but never more than twice as tall as wide.
    m_pictureScaleX = std::max(1, int(m_cellWidth / (hexPairWidth + 1)));
    m_pictureScaleY = std::clamp(int(std::lround(metrics.capHeight() / hexGlyphHeight)), 1, 2 * m_pictureScaleX);
    for (int c = 0; c < 256; ++c)
        m_fitsCell[c] = !isControl(uchar(c)) && c != '\t' && std::abs(advances[c] - cell) < 0.01;
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
    const QRect exposed = event->rect();
    painter.fillRect(exposed, opaque(m_backColor));
    painter.setFont(m_drawingFont);
    const qint64 top = verticalScrollBar()->value();
    const qint64 first = top + std::max(0, exposed.top()) / m_lineHeight;
    const qint64 end = std::min(m_rows.rowCount(), top + std::max(0, exposed.bottom()) / m_lineHeight + 1);
    collectVisibleMatches(first, end);
    for (qint64 row = first; row < end; ++row) {
        qint64 rowInLine = 0;
        const qint64 line = m_rows.lineOfRow(row, &rowInLine);
        const int marks = m_text.marksBefore(line);
        const qreal y = qreal((row - top) * m_lineHeight);
        if (rowInLine < marks)
            drawMark(painter, m_text.markTime(line, int(rowInLine)), y);
        else
            drawRow(painter, line, rowInLine - marks, y);
        if (rowInLine == marks)
            drawTimestamp(painter, line, y);
    }
    const QRect caret = caretRect();
    if (isActiveWindow() && caret.intersects(exposed))
        painter.fillRect(caret, isEnabled() ? opaque(m_fontColor) : blend(opaque(m_fontColor), opaque(m_backColor)));
}

// The cell after the last character; a bar after the row's last cell when
// that row is full. Empty when off screen.
QRect ZIvidView::caretRect() const
{
    const qint64 row = m_rows.rowCount() - 1;
    const qint64 line = m_text.lineCount() - 1;
    const qint64 y = (row - verticalScrollBar()->value()) * m_lineHeight;
    if (row < 0 || y < 0 || y >= viewport()->height())
        return {};
    qint64 rowInLine = 0;
    m_rows.lineOfRow(row, &rowInLine);
    const qint64 start = m_text.lineStart(line);
    const qint64 length = m_text.lineLength(line);
    int column = 0;
    const qint64 offset = m_rows.rowOffset(m_text, line, rowInLine);
    StyleCursor colours(m_text.colours(), start + offset);
    for (qint64 i = offset; i < length; ++i) {
        if (start + i == colours.nextHidden())
            i = colours.skip() - start - 1;
        else
            column = m_rows.cellEnd(m_text.at(start + i), column);
    }
    const int x = int(textLeft() + column * m_cellWidth);
    if (column >= m_rows.columns())
        return QRect(x, int(y), std::max(1, textMargin / 2), m_lineHeight);
    return QRect(x, int(y), int(std::ceil(m_cellWidth)), m_lineHeight);
}

void ZIvidView::drawRow(QPainter &painter, qint64 line, qint64 rowInLine, qreal y)
{
    const QColor back = opaque(m_backColor);
    QColor text = opaque(m_fontColor);
    if (!isEnabled())
        text = blend(text, back);
    const QColor dimmed = blend(text, back);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightedText = palette().color(QPalette::HighlightedText);
    const auto [selectionFrom, selectionTo] = selection();

    const int columns = m_rows.columns();
    const qint64 start = m_text.lineStart(line);
    const qint64 length = m_text.lineLength(line);
    qint64 i = m_rows.rowOffset(m_text, line, rowInLine);
    const qreal baseline = y + m_ascent;
    const qreal left = textLeft();
    const auto cellX = [this, left](int column) { return left + column * m_cellWidth; };
    StyleCursor colours(m_text.colours(), start + i);
    DeviceInk ink = deviceInk(colours.style(), text, back);
    if (ink.bold)
        painter.setFont(boldFont());

    // Characters that fit their cell go out in runs of one selection state
    // and one style.
    QString run;
    int runColumn = 0;
    bool runSelected = false;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        painter.setPen(runSelected ? highlightedText : ink.text);
        painter.drawText(QPointF(cellX(runColumn), baseline), run);
        run.clear();
    };

    int column = 0;
    for (; i < length && column < columns; ++i) {
        const qint64 position = start + i;
        if (position == colours.nextHidden()) {
            flush();
            i = colours.skip() - start - 1;
            ink = deviceInk(colours.style(), text, back);
            painter.setFont(ink.bold ? boldFont() : m_drawingFont);
            continue;
        }
        const uchar c = uchar(m_text.at(position));
        const int next = m_rows.cellEnd(char(c), column);
        const bool selected = position >= selectionFrom && position < selectionTo;
        if (ink.back.isValid() && !selected)
            painter.fillRect(QRectF(cellX(column), y, (next - column) * m_cellWidth, m_lineHeight), ink.back);
        if (selected)
            painter.fillRect(QRectF(cellX(column), y, (next - column) * m_cellWidth, m_lineHeight), highlight);
        else if (!m_visibleMatches.empty())
            fillFindHighlight(painter, position, QRectF(cellX(column), y, (next - column) * m_cellWidth, m_lineHeight));
        if (m_fitsCell[c]) {
            if (run.isEmpty() || selected != runSelected) {
                flush();
                runColumn = column;
                runSelected = selected;
            }
            run += QChar(c);
        } else {
            flush();
            const QRectF cell(cellX(column), y, m_cellWidth, m_lineHeight);
            painter.setPen(selected ? highlightedText : isControl(c) ? dimmed : ink.text);
            if (isControl(c))
                drawControlPicture(painter, cell, c);
            else if (c != '\t')
                painter.drawText(cell, Qt::AlignCenter, QString(QChar(c)));
        }
        column = next;
    }
    flush();
    if (ink.bold)
        painter.setFont(m_drawingFont);
    // A selected line break shows as one selected cell after the line.
    const qint64 breakAt = start + length;
    if (i == length && column < columns && breakAt >= selectionFrom && breakAt < selectionTo)
        painter.fillRect(QRectF(cellX(column), y, m_cellWidth, m_lineHeight), highlight);
}

void ZIvidView::drawMark(QPainter &painter, const QTime &time, qreal y)
{
    const QColor back = opaque(m_backColor);
    painter.setPen(blend(opaque(m_fontColor), back));
    const QString text = QStringLiteral("\u2014 disconnected %1 \u2014").arg(time.toString(QStringLiteral("hh:mm:ss")));
    painter.drawText(QPointF(textLeft(), y + m_ascent), text);
}

void ZIvidView::drawTimestamp(QPainter &painter, qint64 line, qreal y)
{
    const QString label = timestampLabel(line);
    if (label.isEmpty())
        return;
    painter.setPen(blend(opaque(m_fontColor), opaque(m_backColor)));
    painter.drawText(QPointF(textMargin, y + m_ascent), label);
}

// The byte's two hex digits, standing on the baseline, in a faint box that
// keeps neighbouring pairs apart.
void ZIvidView::drawControlPicture(QPainter &painter, const QRectF &cell, uchar c)
{
    const QColor color = painter.pen().color();
    QColor box = color;
    box.setAlpha(40);
    painter.fillRect(cell.adjusted(1, 1, -1, -1), box);
    const int left = int(std::round(cell.left() + (cell.width() - hexPairWidth * m_pictureScaleX) / 2));
    const int top = int(cell.top()) + m_ascent - hexGlyphHeight * m_pictureScaleY;
    for (int digit = 0; digit < 2; ++digit) {
        const uchar *glyph = hexGlyphs[digit == 0 ? c >> 4 : c & 0xf];
        const int x0 = left + digit * (hexGlyphWidth + 1) * m_pictureScaleX;
        for (int row = 0; row < hexGlyphHeight; ++row) {
            for (int column = 0; column < hexGlyphWidth; ++column) {
                if (glyph[row] & (4 >> column))
                    painter.fillRect(x0 + column * m_pictureScaleX, top + row * m_pictureScaleY, m_pictureScaleX,
                                     m_pictureScaleY, color);
            }
        }
    }
}

qint64 ZIvidView::positionAt(const QPoint &point) const
{
    if (m_rows.rowCount() == 0)
        return 0;
    const qint64 row = verticalScrollBar()->value() + std::max(0, point.y()) / m_lineHeight;
    if (row >= m_rows.rowCount())
        return m_text.size();
    qint64 rowInLine = 0;
    const qint64 line = m_rows.lineOfRow(row, &rowInLine);
    const qint64 start = m_text.lineStart(line);
    const int marks = m_text.marksBefore(line);
    if (rowInLine < marks)
        return start;
    const qint64 length = m_text.lineLength(line);
    const qreal x = point.x() - textLeft();
    int column = 0;
    const qint64 offset = m_rows.rowOffset(m_text, line, rowInLine - marks);
    StyleCursor colours(m_text.colours(), start + offset);
    for (qint64 i = offset; i < length; ++i) {
        if (start + i == colours.nextHidden()) {
            i = colours.skip() - start - 1;
            continue;
        }
        if (column >= m_rows.columns())
            return start + i;
        const int next = m_rows.cellEnd(m_text.at(start + i), column);
        // The nearer edge of the cell under the pointer.
        if (x < (column + next) * m_cellWidth / 2)
            return start + i;
        column = next;
    }
    return start + length;
}

void ZIvidView::selectTo(qint64 position)
{
    m_cursor = position;
    viewport()->update();
}

void ZIvidView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qint64 position = positionAt(event->pos());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = position;
    m_selecting = true;
    selectTo(position);
}

void ZIvidView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the top or bottom edge scrolls a row at a time.
    if (event->pos().y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->pos().y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    selectTo(positionAt(event->pos()));
}

void ZIvidView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto [from, to] = selection();
    if (clipboard->supportsSelection() && to > from && to - from <= clipboardLimit)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ZIvidView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    qint64 from = positionAt(event->pos());
    if (from >= m_text.size() || !isWordChar(uchar(m_text.at(from)))) {
        m_anchor = from;
        selectTo(std::min(from + 1, m_text.size()));
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
    m_anchor = from;
    selectTo(to);
}

// Backspaces from the device can shorten the text below a selection's end.
std::pair<qint64, qint64> ZIvidView::selection() const
{
    const qint64 to = std::min(std::max(m_anchor, m_cursor), m_text.size());
    return {std::min(std::min(m_anchor, m_cursor), to), to};
}

QString ZIvidView::toPlainText() const
{
    if (m_text.size() > maxStringSize) {
        qCWarning(consoleLog) << "text of" << m_text.size() << "characters is too long for a string";
        return {};
    }
    return m_text.toPlainText();
}

// Escaping takes up to six characters for one.
QString ZIvidView::toHtml() const
{
    if (m_text.size() > maxStringSize / 6) {
        qCWarning(consoleLog) << "text of" << m_text.size() << "characters is too long for a string";
        return {};
    }
    return m_text.toHtml();
}

qreal ZIvidView::textLeft() const
{
    if (m_timestampMode == TimestampMode::Off)
        return textMargin;
    // A cell between the widest time and the text.
    return textMargin + (lineTimeLabelWidth + 1) * m_cellWidth;
}

void ZIvidView::setTimestampMode(TimestampMode mode)
{
    if (mode == m_timestampMode)
        return;
    m_timestampMode = mode;
    updateColumns();
    viewport()->update();
}

QString ZIvidView::timestampLabel(qint64 line) const
{
    if (m_timestampMode == TimestampMode::Off || line < 0 || line >= m_text.lineCount())
        return {};
    return lineTimeLabel(m_timestampMode, m_text.lineTime(line),
                         line > 0 ? m_text.lineTime(line - 1) : std::nullopt);
}

ConsoleText::LinePrefix ZIvidView::capturePrefix() const
{
    return [this](qint64 line) {
        const QString label = timestampLabel(line);
        return label.isEmpty() ? QByteArray() : label.toLatin1() + ' ';
    };
}

bool ZIvidView::writePlainText(QIODevice *device) const
{
    if (m_timestampMode == TimestampMode::Off)
        return m_text.writePlainText(device);
    return m_text.writePlainText(device, capturePrefix());
}

bool ZIvidView::writeHtml(QIODevice *device) const
{
    if (m_timestampMode == TimestampMode::Off)
        return m_text.writeHtml(device);
    return m_text.writeHtml(device, capturePrefix());
}

QString ZIvidView::selectedText() const
{
    const auto [from, to] = selection();
    // Past what one string holds, the selection is saved, not copied.
    if (to - from > std::min<qint64>(maxStringSize, ConsoleText::maxArraySize)) {
        qCWarning(consoleLog) << "selection of" << to - from << "characters is too long for a string";
        return {};
    }
    return QString::fromLatin1(m_text.mid(from, to - from));
}

bool ZIvidView::writeSelection(QIODevice *device) const
{
    const auto [from, to] = selection();
    return m_text.writePlainText(device, from, to);
}

void ZIvidView::setLargeSelectionFileNameProvider(std::function<QString(qint64)> provider)
{
    m_largeSelectionFileName = std::move(provider);
}

void ZIvidView::selectAll()
{
    m_anchor = 0;
    selectTo(m_text.size());
}

void ZIvidView::copy()
{
    copySelection();
}

// True when the selection went to the clipboard or into a file.
bool ZIvidView::copySelection()
{
    const auto [from, to] = selection();
    if (to - from > clipboardLimit)
        return saveLargeSelection(to - from);
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    return true;
}

// Written aside and renamed over the target only when complete, as a capture is.
bool ZIvidView::saveLargeSelection(qint64 size)
{
    const QString fileName = m_largeSelectionFileName ? m_largeSelectionFileName(size)
                                                      : askLargeSelectionFileName(size);
    if (fileName.isEmpty())
        return false;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && writeSelection(&file) && file.flush() && file.commit())
        return true;
    const QString reason = file.errorString();
    file.cancelWriting();
    // Not modal: a test, or a user busy elsewhere, is not held up by it.
    auto *box = new QMessageBox(QMessageBox::Critical, tr("Copy"), tr("Can't write the selection to a file."),
                                QMessageBox::Ok, this);
    box->setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + reason);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return false;
}

QString ZIvidView::askLargeSelectionFileName(qint64 size)
{
    const auto megabytes = [](qint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 0); };
    QMessageBox box(QMessageBox::Information, tr("Copy"),
                    tr("The selection holds %1 MB; the clipboard takes at most %2 MB.")
                        .arg(megabytes(size), megabytes(clipboardLimit)),
                    QMessageBox::Save | QMessageBox::Cancel, this);
    box.setInformativeText(tr("Save the selection to a file instead?"));
    if (box.exec() != QMessageBox::Save)
        return {};
    return QFileDialog::getSaveFileName(this, tr("Save Selection"), QString(),
                                        tr("log Files (*.log);;All Files (*)"));
}

// A selection that went nowhere is not deleted.
void ZIvidView::cut()
{
    if (copySelection())
        deleteSelection();
}

void ZIvidView::deleteSelection()
{
    const auto [from, to] = selection();
    m_text.remove(from, to);
    m_anchor = m_cursor = from;
    updateRows();
    scheduleRefresh();
}

void ZIvidView::paste()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    m_pinned = true;
    refresh();
    const QString text = mime->text();
    qCDebug(consoleLog) << text;
    emit keyInput(Qt::Key_F35, text);
}

QMenu *ZIvidView::createStandardContextMenu()
{
    auto *menu = new QMenu(this);
    // Measured, not copied: a selection can be the whole of a long session.
    const auto [from, to] = selection();
    const bool selected = to > from;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    menu->addAction(tr("Cu&t"), this, &ZIvidView::cut)->setEnabled(selected);
    menu->addAction(tr("&Copy"), this, &ZIvidView::copy)->setEnabled(selected);
    menu->addAction(tr("&Paste"), this, &ZIvidView::paste)->setEnabled(mime && mime->hasText());
    menu->addAction(tr("Delete"), this, &ZIvidView::deleteSelection)->setEnabled(selected);
    menu->addSeparator();
    menu->addAction(tr("Select All"), this, &ZIvidView::selectAll)->setEnabled(!isEmpty());
    return menu;
}

void ZIvidView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The keys an editor keeps from the window's shortcuts stay with the
// console too: typing keys and the standard editing chords.
bool ZIvidView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier || key == QKeySequence::Copy
            || key == QKeySequence::Paste || key == QKeySequence::Cut || key == QKeySequence::Undo
            || key == QKeySequence::Redo || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

// Tab and Shift+Tab are keys for the device, not focus moves.
bool ZIvidView::focusNextPrevChild(bool)
{
    return false;
}

void ZIvidView::keyPressEvent(QKeyEvent *event)
{
    if (m_terminalShortcuts && runTerminalShortcut(event))
        return;
    m_pinned = true;
    refresh();
    emit keyInput(event->key(), event->text());
}

bool ZIvidView::runTerminalShortcut(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const Qt::KeyboardModifiers controlShift = Qt::ControlModifier | Qt::ShiftModifier;
    if (modifiers == controlShift && event->key() == Qt::Key_C) {
        copy();
        return true;
    }
    if ((modifiers == controlShift && event->key() == Qt::Key_V)
        || (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_Insert)) {
        paste();
        return true;
    }
    return false;
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

void ZIvidView::changeFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_drawingFont, this);
    if (ok)
        setTermFont(font);
}

void ZIvidView::changeFontColor()
{
    const QColor color = QColorDialog::getColor(m_fontColor, this, tr("Font color"));
    if (color.isValid())
        setFontColor(color);
}

void ZIvidView::changeBackColor()
{
    const QColor color = QColorDialog::getColor(m_backColor, this, tr("Background color"));
    if (color.isValid())
        setBackColor(color);
}
