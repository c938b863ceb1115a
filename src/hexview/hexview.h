#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QTimer>

#include <vector>

// Read-only hex dump: an address column, 16 bytes per row in hexadecimal and
// a character column. Only the rows on screen are painted, and appendData
// costs what it appends, not what the view already holds: the bytes sit in
// chunks that are filled once and never moved, so a gigabyte is no
// harder than a kilobyte. The vertical scroll bar counts rows.
class HexView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit HexView(QWidget *parent = nullptr);

    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

    // All bytes held, as one copy (so at most 2 GB of them).
    QByteArray data() const;
    qint64 size() const { return m_size; }
    void setData(const QByteArray &data);
    void appendData(const QByteArray &data);
    // Brings the scroll range up to date, then shows the last row.
    void scrollToEnd();
    // The dump's row as painted.
    QString rowText(qint64 row) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    qint64 rowCount() const;
    int addressDigits() const;
    int margin() const;
    void updateScrollBars();
    void showAppended();

    // A whole number of rows each, so a row never spans two chunks.
    static constexpr int chunkSize = 1 << 20;
    std::vector<QByteArray> m_chunks;
    qint64 m_size = 0;
    // Only reported back: the view never edits, whatever the flag says.
    bool m_readOnly = true;
    QTimer m_repaintTimer;
};
