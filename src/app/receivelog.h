#pragma once

#include "logfile.h"

#include <QByteArray>
#include <QObject>

#include <deque>

class QSocketNotifier;

// Keeps every received byte, raw, in a file given by the user. The file is
// appended to, never truncated, and each batch goes to the system at once,
// so a crash loses nothing. The window's thread never waits on it: what a
// slow reader (a FIFO, a pipe) has not taken yet waits in a buffer of at
// most bufferLimit bytes. The first failure, or a full buffer, is reported
// once and ends logging; the terminal goes on without it.
class ReceiveLog : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 bufferLimit = qint64(64) << 20;

    explicit ReceiveLog(QObject *parent = nullptr);
    ~ReceiveLog() override;

    // False when the file cannot be opened; errorString() says why, and
    // failed() reports it too.
    bool open(const QString &fileName);
    void close();
    bool isLogging() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    QString errorString() const { return m_file.errorString(); }
    // Bytes waiting for the reader.
    qint64 pendingBytes() const { return m_pendingSize; }

    // Does nothing once logging has stopped.
    void append(const QByteArray &bytes);

signals:
    // reason is the system's text, such as "No space left on device".
    void failed(const QString &fileName, const QString &reason);

private:
    void drain();
    void fail(const QString &reason);

    LogFile m_file;
    std::deque<QByteArray> m_pending;
    qint64 m_pendingSize = 0;
    // How much of the first pending batch is already written.
    qint64 m_firstWritten = 0;
    QSocketNotifier *m_writable = nullptr;
};
