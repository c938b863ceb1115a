#include "logwriter.h"

#include <condition_variable>
#include <deque>
#include <mutex>

// Shared with the writing thread, which may outlive the writer once abandoned.
struct LogWriter::Queue
{
    WriteFunction write;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<QByteArray> batches;
    qint64 pending = 0;
    bool closing = false;
    bool abandoned = false;
    bool failed = false;
};

LogWriter::LogWriter(WriteFunction write, QObject *parent)
    : QObject(parent)
    , m_queue(std::make_shared<Queue>())
{
    m_queue->write = std::move(write);
    m_thread = std::thread(&LogWriter::writeQueued, m_queue, this);
}

LogWriter::~LogWriter()
{
    {
        const std::lock_guard<std::mutex> lock(m_queue->mutex);
        m_queue->closing = true;
    }
    m_queue->wake.notify_one();
    if (m_queue->abandoned)
        m_thread.detach();
    else
        m_thread.join();
}

void LogWriter::append(const QByteArray &batch)
{
    {
        const std::lock_guard<std::mutex> lock(m_queue->mutex);
        if (m_queue->failed || m_queue->abandoned)
            return;
        m_queue->batches.push_back(batch);
        m_queue->pending += batch.size();
    }
    m_queue->wake.notify_one();
}

qint64 LogWriter::pendingBytes() const
{
    const std::lock_guard<std::mutex> lock(m_queue->mutex);
    return m_queue->pending;
}

void LogWriter::abandon()
{
    const std::lock_guard<std::mutex> lock(m_queue->mutex);
    m_queue->abandoned = true;
    m_queue->batches.clear();
    m_queue->pending = 0;
}

void LogWriter::writeQueued(const std::shared_ptr<Queue> &queue, LogWriter *owner)
{
    std::unique_lock<std::mutex> lock(queue->mutex);
    for (;;) {
        queue->wake.wait(lock, [&] { return !queue->batches.empty() || queue->closing || queue->abandoned; });
        if (queue->batches.empty())
            break;
        const QByteArray batch = std::move(queue->batches.front());
        queue->batches.pop_front();
        lock.unlock();
        QString error;
        const bool written = queue->write(batch, &error);
        lock.lock();
        if (queue->abandoned)
            break;
        queue->pending -= batch.size();
        if (!written) {
            queue->failed = true;
            queue->batches.clear();
            queue->pending = 0;
            // Posted while the owner cannot go away: abandon() and the
            // destructor take this lock first, and a deleted object's
            // posted calls are dropped.
            QMetaObject::invokeMethod(
                owner, [owner, error] { emit owner->failed(error); }, Qt::QueuedConnection);
            break;
        }
    }
    // The file closes here, on this thread, when the writer let go of it first.
    queue->write = nullptr;
}
