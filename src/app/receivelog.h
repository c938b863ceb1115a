#pragma once

#include "logfile.h"
#include "logwriter.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <memory>

class QSocketNotifier;

// Keeps every received byte, raw, in a file given by the user. The file is
// appended to, never truncated. The window's thread never waits on it: a
// file on disk is written from a thread of its own, and what a slow reader
// (a FIFO, a pipe) has not taken yet waits here. Either way at most
// bufferLimit bytes wait. The first failure, or a full buffer, is reported
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
    // Logs through write, called from a thread of its own: how open() writes
    // a file on disk.
    void openWriter(const QString &fileName, LogWriter::WriteFunction write);
    // Waits for a file on disk to have every byte; drops what a pipe's
    // reader has not taken.
    void close();
    bool isLogging() const { return m_pipe || m_writer; }
    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_error; }
    // Bytes appended and not yet written.
    qint64 pendingBytes() const;

    // Does nothing once logging has stopped.
    void append(const QByteArray &bytes);

signals:
    // reason is the system's text, such as "No space left on device".
    void failed(const QString &fileName, const QString &reason);

private:
    void drain();
    void fail(const QString &reason);

    QString m_fileName;
    QString m_error;
    std::unique_ptr<LogWriter> m_writer;
    // A FIFO or pipe, written without waiting from this thread.
    std::unique_ptr<LogFile> m_pipe;
    std::deque<QByteArray> m_pending;
    qint64 m_pendingSize = 0;
    // How much of the first pending batch is already written.
    qint64 m_firstWritten = 0;
    QSocketNotifier *m_writable = nullptr;
};
