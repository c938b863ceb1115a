#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QTimer>

// Read-only hex dump: an address column, 16 bytes per row in hexadecimal and
// a character column. Only the rows on screen are painted, and appendData
// costs what it appends, not what the view already holds.
class HexView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit HexView(QWidget *parent = nullptr);

    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

    QByteArray data() const;
    void setData(const QByteArray &data);
    void appendData(const QByteArray &data);
    // Brings the scroll range up to date, then shows the last row.
    void scrollToEnd();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int rowCount() const;
    int margin() const;
    void updateScrollBars();
    void showAppended();

    QByteArray m_data;
    // Only reported back: the view never edits, whatever the flag says.
    bool m_readOnly = true;
    QTimer m_repaintTimer;
};
