#pragma once

#include <QToolButton>

// The button a held console shows at the bottom of its text: how many lines
// arrived below what is on screen. Clicking it returns to the end.
class HoldMarker : public QToolButton
{
    Q_OBJECT

public:
    explicit HoldMarker(QWidget *parent);

    // Hidden at zero.
    void setLinesBelow(qint64 count);
    qint64 linesBelow() const { return m_linesBelow; }
    // Keeps the button at the bottom right of its parent.
    void place();

private:
    qint64 m_linesBelow = 0;
};
