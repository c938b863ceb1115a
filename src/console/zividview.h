#pragma once

#include <QColor>
#include <QFont>
#include <QTextEdit>

// The terminal's screen. Every key press and paste becomes one keyInput()
// signal and never edits the text; received bytes are shown by displayData().
class ZIvidView : public QTextEdit
{
    Q_OBJECT

public:
    explicit ZIvidView(QWidget *parent = nullptr);

    void displayData(const QByteArray &data);
    // Shows several batches, oldest first, exactly as one displayData() call
    // per batch would, but with a single insertion into the document.
    void displayBatches(const QList<QByteArray> &batches);

    const QFont &termFont() const { return m_termFont; }
    const QColor &fontColor() const { return m_fontColor; }
    const QColor &backColor() const { return m_backColor; }
    void setTermFont(const QFont &font);
    void setFontColor(const QColor &color);
    void setBackColor(const QColor &color);

signals:
    void keyInput(int, QString);

public slots:
    void changeFont();
    void changeFontColor();
    void changeBackColor();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void pinToEnd();
    void applyStyleSheet();

    QFont m_termFont;
    QColor m_fontColor;
    QColor m_backColor;
    // A batch that ended in CR leaves this set, so that an LF opening the
    // next batch completes that line break instead of starting another.
    bool m_endsWithCr = false;
    int m_characterCountAfterCr = 0;
};
