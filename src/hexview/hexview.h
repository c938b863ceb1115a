#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

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
};
