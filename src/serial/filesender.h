#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>

class SerialPort;

// A file on its way to one open port: what a raw send and a protocol
// transfer share. It is bound to the port it started on: when that device
// goes, the send ends there and never goes on to the next one.
class FileSender : public QObject
{
    Q_OBJECT

public:
    explicit FileSender(SerialPort *port, QObject *parent = nullptr);

    // Opens the file and starts on the next pass of the event loop; false,
    // with errorText(), when the file cannot be read or no port is open.
    bool start(const QString &fileName);
    QString errorText() const { return m_error; }
    // Stops, reporting how far the send got. Nothing once finished.
    void cancel();
    bool isRunning() const { return m_running; }

    qint64 total() const { return m_total; }
    // File bytes that reached the line (raw) or the receiver (a protocol).
    virtual qint64 sent() const = 0;

    // Takes what the device sent while this runs. Returns what goes on to
    // the console; a protocol keeps the bytes that are its own.
    virtual QByteArray takeReceived(const QByteArray &bytes) { return bytes; }
    // Whether what the device sends goes to takeReceived(): while the send
    // runs, and for a protocol a while after a cancel.
    virtual bool takesReceived() const { return m_running; }
    // How long a finished send is kept, so that it may still answer.
    static constexpr int keptAfterFinishedMs = 10000;

signals:
    void progressed(qint64 sent, qint64 total);
    // The outcome, as the user should read it; emitted once.
    void finished(const QString &outcome);

protected:
    // The file is open and the port is there: the send's first step.
    virtual void begin() = 0;
    // The send is stopping early, before finished(): tell the device.
    virtual void abandon() {}

    SerialPort *port() const;
    bool portIsOpen() const;
    QFile &file() { return m_file; }
    // "sent N bytes in T s".
    void succeed();
    // Says why and how far it got.
    void stopPartway(const QString &why);
    void stop(const QString &outcome);

private:
    QPointer<SerialPort> m_port;
    QFile m_file;
    QString m_name;
    QString m_error;
    qint64 m_total = 0;
    bool m_running = false;
    QElapsedTimer m_clock;
};
