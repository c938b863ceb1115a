#pragma once

#include "filesender.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class HexView;
class QTimer;
class ReceiveLog;
class SerialPort;
class ZIvidView;

// Takes what the port received and hands it on: to the receive log and the
// hex view at once, to the console in batches. A device sends up to 16,000
// small batches a second, and a repaint per batch would cost far more than
// the batch, so while bytes keep coming the console takes the batches held
// since the last time at most once per show interval; the first batch after
// a pause is shown at once.
class ReceiveFeed : public QObject
{
    Q_OBJECT

public:
    // The longest the console lags behind while bytes keep arriving.
    static constexpr int showInterval = 40;

    ReceiveFeed(ZIvidView *console, HexView *hexView, QObject *parent = nullptr);

    // Where every received byte is appended; not owned.
    void setReceiveLog(ReceiveLog *log) { m_receiveLog = log; }
    // What stamps each batch with its arrival, in milliseconds since the
    // epoch; the system clock unless replaced.
    void setArrivalClock(std::function<qint64()> clock);

    // A file transfer that reads the device's bytes as they arrive, before
    // the console: it keeps its own and hands on the rest. The log and the
    // hex view still get every byte. Not owned; dropped when it goes.
    void setTransfer(FileSender *transfer) { m_transfer = transfer; }

    // Takes the bytes the port holds; null: an empty batch.
    void readFrom(SerialPort *port);
    // Shows the batches held back now, if there are any.
    void showHeld();
    // Empties the console and the hex view, batches held back included.
    void clear();

private:
    void showReceived();

    ZIvidView *m_console;
    HexView *m_hexView;
    ReceiveLog *m_receiveLog = nullptr;
    QPointer<FileSender> m_transfer;
    // Batches in the hex view but not yet in the console.
    QList<QByteArray> m_unshownBatches;
    QList<qint64> m_unshownArrivals;
    std::function<qint64()> m_arrivalClock;
    QTimer *m_showTimer;
};
