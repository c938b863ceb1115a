#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

// Writes batches, in order, from a thread of its own, so that a slow or
// stalled disk or network share never holds the thread that appends.
class LogWriter : public QObject
{
    Q_OBJECT

public:
    // Writes all of batch, or returns false with the system's reason.
    using WriteFunction = std::function<bool(const QByteArray &batch, QString *error)>;

    explicit LogWriter(WriteFunction write, QObject *parent = nullptr);
    // Waits until everything appended is written, or writing failed.
    ~LogWriter() override;

    void append(const QByteArray &batch);
    // Bytes appended and not yet written.
    qint64 pendingBytes() const;
    // Drops what waits and lets the destructor return at once; a write under
    // way ends on the writing thread, which then lets go of the write function.
    void abandon();

signals:
    // The first failure, on this object's thread; nothing more is written.
    void failed(const QString &reason);

private:
    struct Queue;
    static void writeQueued(const std::shared_ptr<Queue> &queue, LogWriter *owner);

    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
};
