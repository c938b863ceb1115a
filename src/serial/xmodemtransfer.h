#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// The sending side of XMODEM (CRC), XMODEM-1K and YMODEM (a batch of one
// file, 1K blocks), with no port and no clock: it takes what the receiver
// sends, leaves what it answers in output(), and is told when the wait for
// an answer has run out. The receiver starts it with 'C' (CRC) or NAK (an
// 8-bit sum, and 128-byte blocks, for receivers that begin that way).
class XmodemTransfer
{
public:
    enum class Protocol { Xmodem, Xmodem1K, Ymodem };

    static constexpr int startTimeoutMs = 60000;
    static constexpr int answerTimeoutMs = 10000;
    // Tries of one block (or EOT) before the transfer gives up.
    static constexpr int maxTries = 10;

    // `source` is read from its current position, `size` bytes; not owned.
    XmodemTransfer(Protocol protocol, QIODevice *source, const QByteArray &name, qint64 size);

    // Takes bytes from the receiver. Returns those that are not the
    // transfer's: what came before it started and after it ended.
    QByteArray receive(const QByteArray &bytes);
    // The wait for the receiver, timeoutMs() long, ran out.
    void timedOut();
    // Ends it from this side, telling the receiver (CAN CAN).
    void cancel(const QString &why);

    // What is to go to the receiver now; emptied by the call.
    QByteArray takeOutput();
    // How long to wait for the receiver's next byte.
    int timeoutMs() const { return m_phase == Phase::Start ? startTimeoutMs : answerTimeoutMs; }

    bool isStarted() const { return m_phase != Phase::Start; }
    bool isFinished() const { return m_phase == Phase::Done || m_phase == Phase::Failed; }
    bool succeeded() const { return m_phase == Phase::Done; }
    // Why it stopped, when it failed.
    QString failure() const { return m_failure; }
    // File bytes the receiver acknowledged.
    qint64 acknowledged() const { return qMin(m_acknowledged, m_size); }

private:
    enum class Phase {
        Start,       // waiting for 'C' or NAK
        Header,      // YMODEM's block 0 sent, waiting for ACK
        DataStart,   // YMODEM: block 0 taken, waiting for 'C'
        Data,        // a data block sent, waiting for ACK
        EndOfFile,   // EOT sent
        BatchStart,  // YMODEM: EOT taken, waiting for 'C' before the empty block 0
        BatchEnd,    // the empty block 0 sent
        Done,
        Failed,
    };

    // Acts on one byte from the receiver.
    void answer(char byte);
    void sendCurrent();
    void retry(const QString &why);
    void nextBlock();
    void sendEndOfFile();
    void fail(const QString &why, bool tellReceiver);

    Protocol m_protocol;
    QIODevice *m_source;
    QByteArray m_name;
    qint64 m_size;
    Phase m_phase = Phase::Start;
    bool m_crc = true;
    bool m_cancelSeen = false;
    int m_number = 0;
    int m_tries = 0;
    // The block or EOT last sent, to send again on NAK or silence.
    QByteArray m_current;
    qint64 m_currentSize = 0;
    qint64 m_acknowledged = 0;
    QByteArray m_output;
    QString m_failure;
};
