#pragma once

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QTimer>

#include <functional>

// Sends function-key commands and pastes one byte per write, with the write
// delay after every byte, the last one included. Sends go out whole, one
// after another in the order asked; the waits are timer ticks, so nothing
// runs nested inside a send and nothing is spliced into it.
class PacedSender : public QObject
{
    Q_OBJECT

public:
    // Writes one byte; false when it could not (no port, port closed).
    using Writer = std::function<bool(const QByteArray &)>;
    // The write delay in milliseconds, read after every byte.
    using Delay = std::function<int()>;

    PacedSender(Writer write, Delay delay, QObject *parent = nullptr);

    // Queues bytes to send. A function key's auto-repeat is dropped while
    // the same command still waits unstarted: a held key repeats faster than
    // its command goes out, and would otherwise queue without end. Every
    // deliberate press, and every paste, is sent as asked.
    void send(const QByteArray &bytes, bool functionKeyMode, bool autoRepeat = false);

    // Drops the send in progress and the queued ones, and returns how many
    // bytes were not sent. Sends belong to the connection they were asked
    // on: the next device to appear may be another one.
    qint64 cancel();

    bool isBusy() const;

signals:
    // A write failed; the send in progress and all queued ones are dropped.
    void writeFailed();

private:
    struct Send
    {
        QByteArray bytes;
        bool functionKeyMode = false;
        bool operator==(const Send &other) const
        {
            return functionKeyMode == other.functionKeyMode && bytes == other.bytes;
        }
    };

    void sendNext();

    Writer m_write;
    Delay m_delay;
    QQueue<Send> m_waiting;
    Send m_current;
    int m_position = 0;
    QTimer m_timer;
};
