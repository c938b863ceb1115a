#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;
class SerialPort;

// Sends a file's bytes as they are to one open port: a chunk at a time, the
// next once the port has handed the last one to the line, so a slow line
// holds no more than a chunk in memory and the window keeps running. With a
// line delay it pauses that long after each LF has gone. It is bound to the
// port it started on: when that device goes, the send ends there.
class RawFileSender : public QObject
{
    Q_OBJECT

public:
    static constexpr int chunkSize = 4096;

    RawFileSender(SerialPort *port, int lineDelayMs, QObject *parent = nullptr);

    // Opens the file and starts on the next pass of the event loop; false,
    // with errorText(), when the file cannot be read or no port is open.
    bool start(const QString &fileName);
    QString errorText() const { return m_error; }
    // Stops, reporting how far the send got. Nothing once finished.
    void cancel();

    qint64 total() const { return m_total; }
    // Bytes that left for the line (handed to the port and no longer queued).
    qint64 sent() const;

signals:
    void progressed(qint64 sent, qint64 total);
    // The outcome, as the user should read it; emitted once.
    void finished(const QString &outcome);

private:
    void sendNext();
    void afterDrain();
    void scheduleNext();
    // Says how far it got.
    void stopPartway(const QString &why);
    void stop(const QString &why);

    QPointer<SerialPort> m_port;
    int m_lineDelay;
    QFile m_file;
    QString m_name;
    QString m_error;
    QByteArray m_pending;
    qint64 m_total = 0;
    qint64 m_handed = 0;
    bool m_running = false;
    bool m_waitingForDrain = false;
    bool m_lineEnded = false;
    QTimer *m_next;
    QElapsedTimer m_clock;
};
