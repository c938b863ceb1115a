#include "consolepainter.h"

#include "cellwalker.h"
#include "consolerows.h"
#include "consoletext.h"
#include "consoleviewport.h"
#include "inkcontrast.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace {

// C0 (tab aside), DEL and C1: no font has a glyph worth showing for them.
bool isControl(uchar c)
{
    return (c < 0x20 && c != '\t') || (c >= 0x7f && c < 0xa0);
}

void appendCharacter(QString &text, char32_t code)
{
    if (QChar::requiresSurrogates(uint(code))) {
        text += QChar(QChar::highSurrogate(uint(code)));
        text += QChar(QChar::lowSurrogate(uint(code)));
    } else {
        text += QChar(ushort(code));
    }
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

// Translucent, so the text keeps its own colour on any background.
const QColor matchColor(255, 220, 0, 110);
const QColor currentColor(255, 140, 0, 200);

QColor opaque(const QColor &color)
{
    return color.isValid() ? QColor(color.rgb()) : QColor(Qt::black);
}

QColor blend(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QColor fromStyle(quint32 colour)
{
    return QColor(QRgb(colour & 0xffffff));
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

} // namespace

ConsolePainter::ConsolePainter(const ConsoleText &text, const ConsoleRows &rows, const ConsoleViewport &view)
    : m_text(text)
    , m_rows(rows)
    , m_view(view)
{
}

// The chosen font if its family is installed, or if the font system stands a
// fixed-width face in for it (Liberation Mono for Courier New); otherwise
// the system's fixed-width font in the chosen size, weight and style.
QFont ConsolePainter::drawingFontFor(const QFont &chosen)
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

void ConsolePainter::setFont(const QFont &drawingFont, const QPaintDevice *device)
{
    m_font = drawingFont;
    const QFontMetricsF metrics(m_font, device);
    m_lineHeight = std::max(1, int(std::ceil(metrics.height())));
    m_ascent = int(std::ceil(metrics.ascent()));
    m_decorationWidth = std::max<qreal>(1, std::round(metrics.lineWidth()));
    // Inside the row, whatever the font says.
    m_underlineBelow = std::max<qreal>(
        1, std::min<qreal>(std::round(metrics.underlinePos()), m_lineHeight - m_ascent - m_decorationWidth));
    m_strikeAbove = std::round(metrics.strikeOutPos());
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
    m_fitsCells.clear();
    m_device = device;
}

// Latin-1 from the table; characters of the rest of the Basic Multilingual
// Plane measured once each, in the font that stands in where the chosen one
// has no glyph; the planes above, emoji, are drawn one by one.
bool ConsolePainter::fitsCells(char32_t code, int cells) const
{
    if (code < 0x100)
        return m_fitsCell[code];
    if (code > 0xffff)
        return false;
    if (m_fitsCells.empty())
        m_fitsCells.assign(0x10000, Unmeasured);
    quint8 &fits = m_fitsCells[code];
    if (fits == Unmeasured) {
        const qreal advance = QFontMetricsF(m_font, m_device).horizontalAdvance(QChar(ushort(code)));
        fits = std::abs(advance - cells * m_cellWidth) < 0.01 ? Fits : DoesNotFit;
    }
    return fits == Fits;
}

qreal ConsolePainter::textLeft() const
{
    if (m_view.timestampMode() == TimestampMode::Off)
        return margin;
    // A cell between the widest time and the text.
    return margin + (lineTimeLabelWidth + 1) * m_cellWidth;
}

// A line's mark rows come first, then its text; the time stands on the
// first row of text.
void ConsolePainter::paint(QPainter &painter, const Frame &frame) const
{
    painter.fillRect(frame.exposed, opaque(frame.backColor));
    painter.setFont(m_font);
    for (qint64 row = frame.firstRow; row < frame.endRow; ++row) {
        const ConsoleViewport::RowPlace place = m_view.placeOfRow(row);
        const qreal y = qreal((row - frame.topRow) * m_lineHeight);
        if (place.isMark())
            drawMark(painter, frame, m_text.markTime(place.line, int(place.rowInLine)), y);
        else
            drawRow(painter, frame, place.line, place.textRow(), y);
        if (place.textRow() == 0)
            drawTimestamp(painter, frame, place.line, y);
    }
    if (frame.caret.intersects(frame.exposed)) {
        const QColor text = opaque(frame.fontColor);
        painter.fillRect(frame.caret, frame.enabled ? text : blend(text, opaque(frame.backColor)));
    }
}

void ConsolePainter::drawRow(QPainter &painter, const Frame &frame, qint64 line, qint64 textRow, qreal y) const
{
    const QColor back = opaque(frame.backColor);
    QColor text = opaque(frame.fontColor);
    if (!frame.enabled)
        text = blend(text, back);
    const QColor dimmed = blend(text, back);
    const QColor &highlight = frame.highlight;
    const QColor &highlightedText = frame.highlightedText;
    // Named apart, not bound: the cell callback below captures them.
    const std::pair<qint64, qint64> selection = m_view.selection();
    const qint64 selectionFrom = selection.first;
    const qint64 selectionTo = selection.second;

    const int columns = m_rows.columns();
    const qint64 start = m_text.lineStart(line);
    const qint64 length = m_text.lineLength(line);
    const qreal baseline = y + m_ascent;
    const qreal left = textLeft();
    const auto cellX = [this, left](int column) { return left + column * m_cellWidth; };
    CellWalker cells(m_text, start + m_rows.rowOffset(m_text, line, textRow));
    DeviceInk ink = deviceInk(cells.style(), text, back, frame.enabled);
    if (ink.bold || ink.italic)
        painter.setFont(fontFor(ink));

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
    const auto drawCell = [&](qint64 position, char32_t code) {
        if (m_rows.wrapsBefore(code, column))
            return false;
        const int next = m_rows.cellEnd(code, column);
        const bool selected = position >= selectionFrom && position < selectionTo;
        const QRectF cells(cellX(column), y, (next - column) * m_cellWidth, m_lineHeight);
        if (ink.back.isValid() && !selected)
            painter.fillRect(cells, ink.back);
        if (selected)
            painter.fillRect(cells, highlight);
        else if (frame.matches && !frame.matches->empty())
            fillFindHighlight(painter, frame, position, cells);
        if (ink.underline || ink.strike)
            drawLines(painter, ink, selected ? highlightedText : ink.text, cells);
        // Bytes that are no UTF-8 show as control bytes do: their hex digits.
        const bool picture = CellWalker::isInvalidByte(code) || (code < 0x100 && isControl(uchar(code)));
        if (!picture && fitsCells(code, next - column)) {
            if (run.isEmpty() || selected != runSelected) {
                flush();
                runColumn = column;
                runSelected = selected;
            }
            appendCharacter(run, code);
        } else {
            flush();
            painter.setPen(selected ? highlightedText : picture ? dimmed : ink.text);
            if (picture) {
                drawControlPicture(painter, QRectF(cellX(column), y, m_cellWidth, m_lineHeight), uchar(code & 0xff));
            } else if (code != '\t') {
                QString character;
                appendCharacter(character, code);
                painter.drawText(cells, Qt::AlignCenter, character);
            }
        }
        column = next;
        return true;
    };
    const auto takeStyle = [&](const TextStyle &style) {
        // A full row draws nothing more.
        if (column >= columns)
            return;
        flush();
        ink = deviceInk(style, text, back, frame.enabled);
        painter.setFont(fontFor(ink));
    };
    const qint64 end = cells.walk(start + length, drawCell, takeStyle);
    flush();
    if (ink.bold || ink.italic)
        painter.setFont(m_font);
    // A selected line break shows as one selected cell after the line.
    const qint64 breakAt = start + length;
    if (end == breakAt && column < columns && breakAt >= selectionFrom && breakAt < selectionTo)
        painter.fillRect(QRectF(cellX(column), y, m_cellWidth, m_lineHeight), highlight);
}

void ConsolePainter::drawMark(QPainter &painter, const Frame &frame, const QTime &time, qreal y) const
{
    const QColor back = opaque(frame.backColor);
    painter.setPen(blend(opaque(frame.fontColor), back));
    const QString text = QStringLiteral("\u2014 disconnected %1 \u2014").arg(time.toString(QStringLiteral("hh:mm:ss")));
    painter.drawText(QPointF(textLeft(), y + m_ascent), text);
}

void ConsolePainter::drawTimestamp(QPainter &painter, const Frame &frame, qint64 line, qreal y) const
{
    const QString label = m_view.timestampLabel(line);
    if (label.isEmpty())
        return;
    painter.setPen(blend(opaque(frame.fontColor), opaque(frame.backColor)));
    painter.drawText(QPointF(margin, y + m_ascent), label);
}

// The byte's two hex digits, standing on the baseline, in a faint box that
// keeps neighbouring pairs apart.
void ConsolePainter::drawControlPicture(QPainter &painter, const QRectF &cell, uchar c) const
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

// Matches are sorted and equally long, so the last one starting at or
// before a position is the only one that can cover it.
void ConsolePainter::fillFindHighlight(QPainter &painter, const Frame &frame, qint64 position,
                                       const QRectF &cell) const
{
    const std::vector<TextSearch::Match> &matches = *frame.matches;
    auto after = std::upper_bound(matches.begin(), matches.end(), position,
                                  [](qint64 at, const TextSearch::Match &match) { return at < match.from; });
    if (after == matches.begin() || (after - 1)->to <= position)
        return;
    const bool isCurrent = position >= frame.current.from && position < frame.current.to;
    painter.fillRect(cell, isCurrent ? currentColor : matchColor);
}

// A device's text colour is made readable on what lies behind it, its own
// background or the console's; the user's colours are drawn as chosen.
// Reverse video swaps the two, the console's own standing in for a colour
// the device did not set; dim text goes halfway to what is behind it.
ConsolePainter::DeviceInk ConsolePainter::deviceInk(const TextStyle &style, const QColor &text, const QColor &back,
                                                    bool enabled) const
{
    DeviceInk ink {text, QColor(), style.bold, style.has(TextStyle::Italic), style.has(TextStyle::Underline),
                   style.has(TextStyle::Strike)};
    quint32 foreground = style.foreground;
    QColor userText = text;
    if (style.has(TextStyle::Reverse)) {
        ink.back = style.foreground ? fromStyle(style.foreground) : text;
        foreground = style.background;
        userText = back;
    } else if (style.background) {
        ink.back = fromStyle(style.background);
    }
    const QColor &behind = ink.back.isValid() ? ink.back : back;
    ink.text = userText;
    if (foreground) {
        const QColor readable = readableInk(foreground, behind);
        ink.text = enabled ? readable : blend(readable, back);
    }
    if (style.has(TextStyle::Dim))
        ink.text = blend(ink.text, behind);
    return ink;
}

QColor ConsolePainter::readableInk(quint32 foreground, const QColor &back) const
{
    const quint64 key = quint64(foreground & 0xffffff) << 32 | back.rgb();
    const auto known = m_readableInk.constFind(key);
    if (known != m_readableInk.constEnd())
        return QColor(*known);
    // A device cycling through colours must not grow it without end.
    if (m_readableInk.size() >= 4096)
        m_readableInk.clear();
    const QColor readable = InkContrast::readableOn(fromStyle(foreground), back);
    m_readableInk.insert(key, readable.rgb());
    return readable;
}

QFont ConsolePainter::fontFor(const DeviceInk &ink) const
{
    if (!ink.bold && !ink.italic)
        return m_font;
    // Added to the user's font, never taken from it.
    QFont font = m_font;
    if (ink.bold)
        font.setBold(true);
    if (ink.italic)
        font.setItalic(true);
    return font;
}

// Drawn a cell at a time rather than by the font, so that blanks, tabs and
// control pictures carry them too, at the same height along a row.
void ConsolePainter::drawLines(QPainter &painter, const DeviceInk &ink, const QColor &color,
                               const QRectF &cells) const
{
    const qreal baseline = cells.top() + m_ascent;
    if (ink.underline)
        painter.fillRect(QRectF(cells.left(), baseline + m_underlineBelow, cells.width(), m_decorationWidth), color);
    if (ink.strike)
        painter.fillRect(QRectF(cells.left(), baseline - m_strikeAbove, cells.width(), m_decorationWidth), color);
}
