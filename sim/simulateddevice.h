#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class SimulatedModemLines;
class QTemporaryDir;

// A Tarnwick device played on a pseudo-terminal. The terminal opens it under
// a stable name (a link to the current pty), so unplugging and plugging it
// back in behaves like a USB device that comes back under the same name.
class SimulatedDevice : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedDevice(QObject *parent = nullptr);
    ~SimulatedDevice() override;

    QString portName() const;
    bool isPlugged() const { return m_master >= 0; }

    // Sends every received byte back.
    void setEcho(bool on) { m_echo = on; }
    // Answers each received line "AT" with "OK" CR LF.
    void setAnswerAt(bool on) { m_answerAt = on; }
    // Hands bytes to the line in write() calls of at most this many bytes,
    // as a full-speed USB device delivers 64-byte packets (0: no limit).
    void setWriteSize(int bytes) { m_writeSize = bytes; }

    // Queues bytes for the line; they leave as fast as the line takes them.
    void send(const QByteArray &bytes);
    // Queues count bytes made by repeating pattern.
    void sendFlood(qint64 count, const QByteArray &pattern);
    qint64 pendingBytes() const { return m_outgoing.size() - m_sent; }

    // DTR, RTS, break and the bootloader touch, which the terminal hands
    // here in-process (see TarnTerm::setModemLinesProvider).
    SimulatedModemLines *modemLines() const { return m_modemLines; }

    // What the terminal wrote to the device, oldest first.
    QByteArray received;

    // Closes the pty: the terminal's open port sees a hang-up.
    void unplug();
    // A fresh pty behind the same port name.
    bool plug();

signals:
    void bytesReceived(const QByteArray &bytes);

private:
    void readFromLine();
    void writeToLine();
    void answerLines(const QByteArray &bytes);

    QTemporaryDir *m_dir;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_outgoing;
    qint64 m_sent = 0;
    QByteArray m_line;
    bool m_echo = false;
    bool m_answerAt = false;
    int m_writeSize = 0;
    SimulatedModemLines *m_modemLines;
};
