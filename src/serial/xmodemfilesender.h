#pragma once

#include "filesender.h"
#include "xmodemtransfer.h"

#include <QElapsedTimer>

#include <memory>

class QTimer;

// Sends a file by XMODEM or YMODEM over one open port: what the device
// sends reaches the transfer as it arrives (every block waits on an
// answer), each wait is timed, and a cancel tells the receiver.
class XmodemFileSender : public FileSender
{
    Q_OBJECT

public:
    XmodemFileSender(SerialPort *port, XmodemTransfer::Protocol protocol, QObject *parent = nullptr);
    ~XmodemFileSender() override;

    // File bytes the receiver acknowledged.
    qint64 sent() const override;
    QByteArray takeReceived(const QByteArray &bytes) override;
    bool takesReceived() const override;

protected:
    void begin() override;
    void abandon() override;

private:
    void prepare();
    // Sends what the transfer has to say, times the wait for the answer,
    // and reports the end.
    void pass(bool waitAgain);
    void timedOut();
    // Gives the transfer the receiver's held request, a moment after it came.
    void answerRequest();
    QByteArray answerAfterCancel(const QByteArray &bytes);

    XmodemTransfer::Protocol m_protocol;
    std::unique_ptr<XmodemTransfer> m_transfer;
    QTimer *m_answerTimer;
    QTimer *m_requestTimer;
    QByteArray m_heldRequest;
    qint64 m_reported = -1;
    QElapsedTimer m_cancelTold;
};
