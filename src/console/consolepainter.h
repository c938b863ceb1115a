#pragma once

#include "textsearch.h"
#include "textstyle.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>

#include <vector>

class ConsoleRows;
class ConsoleText;
class ConsoleViewport;
class QPaintDevice;
class QPainter;

// How the console looks: its rows of text with the selection, find's
// matches and the device's colours, the marks, the gutter's times, control
// bytes as pictures of their hex digits, and the caret. It measures the
// cells the widget lays the text out in.
class ConsolePainter
{
public:
    // Between the viewport's edges and the gutter or the text.
    static constexpr int margin = 4;

    ConsolePainter(const ConsoleText &text, const ConsoleRows &rows, const ConsoleViewport &view);

    // What the text is drawn in: the chosen font, or the system's
    // fixed-width font when the chosen family is not installed.
    static QFont drawingFontFor(const QFont &chosen);
    // Draws in the font from now on, measured on the device.
    void setFont(const QFont &drawingFont, const QPaintDevice *device);
    const QFont &font() const { return m_font; }
    // Every character takes a cell; some glyphs of a proportional font are
    // narrower or wider and are drawn one by one.
    qreal cellWidth() const { return m_cellWidth; }
    int lineHeight() const { return m_lineHeight; }
    // Where the text's first cell starts, right of the gutter.
    qreal textLeft() const;

    // What one paint event shows.
    struct Frame
    {
        QRect exposed;
        qint64 topRow = 0;
        // The rows [firstRow, endRow) are drawn.
        qint64 firstRow = 0;
        qint64 endRow = 0;
        QColor fontColor;
        QColor backColor;
        bool enabled = true;
        QColor highlight;
        QColor highlightedText;
        // Empty when the caret is not drawn.
        QRect caret;
        // The matches on screen, sorted, and the current one.
        const std::vector<TextSearch::Match> *matches = nullptr;
        TextSearch::Match current;
    };
    void paint(QPainter &painter, const Frame &frame) const;

private:
    // A device style in the view's colours; `back` stays invalid where the
    // console's background shows.
    struct DeviceInk
    {
        QColor text;
        QColor back;
        bool bold;
        bool italic;
        // A line under or through each cell.
        bool underline;
        bool strike;
    };
    DeviceInk deviceInk(const TextStyle &style, const QColor &text, const QColor &back, bool enabled) const;
    QColor readableInk(quint32 foreground, const QColor &back) const;
    QFont fontFor(const DeviceInk &ink) const;
    void drawLines(QPainter &painter, const DeviceInk &ink, const QColor &color, const QRectF &cells) const;
    void drawRow(QPainter &painter, const Frame &frame, qint64 line, qint64 textRow, qreal y) const;
    void drawMark(QPainter &painter, const Frame &frame, const QTime &time, qreal y) const;
    void drawTimestamp(QPainter &painter, const Frame &frame, qint64 line, qreal y) const;
    void drawControlPicture(QPainter &painter, const QRectF &cell, uchar c) const;
    void fillFindHighlight(QPainter &painter, const Frame &frame, qint64 position, const QRectF &cell) const;
    bool fitsCells(char32_t code, int cells) const;

    const ConsoleText &m_text;
    const ConsoleRows &m_rows;
    const ConsoleViewport &m_view;

    QFont m_font;
    qreal m_cellWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    // Underline and strike-through: below and above the baseline, and thick.
    qreal m_underlineBelow = 2;
    qreal m_strikeAbove = 4;
    qreal m_decorationWidth = 1;
    bool m_fitsCell[256] = {};
    enum : quint8 { Unmeasured, Fits, DoesNotFit };
    // The same for the rest of the Basic Multilingual Plane, as met.
    mutable std::vector<quint8> m_fitsCells;
    const QPaintDevice *m_device = nullptr;
    // Control bytes show as their two hex digits, drawn as pixels this
    // many screen pixels wide and high.
    int m_pictureScaleX = 1;
    int m_pictureScaleY = 2;
    // Device text colours made readable, by colour and what is behind it.
    mutable QHash<quint64, QRgb> m_readableInk;
};
