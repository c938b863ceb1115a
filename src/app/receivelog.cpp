#include "receivelog.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

Q_LOGGING_CATEGORY(logFileCategory, "tarnterm.log")

namespace {

LogWriter::WriteFunction writeAllTo(std::shared_ptr<LogFile> file)
{
    return [file](const QByteArray &batch, QString *error) {
        for (qint64 done = 0; done < batch.size();) {
            const qint64 written = file->write(batch.constData() + done, batch.size() - done);
            if (written < 0) {
                *error = file->errorString();
                return false;
            }
            done += written;
        }
        return true;
    };
}

} // namespace

ReceiveLog::ReceiveLog(QObject *parent)
    : QObject(parent)
{
}

ReceiveLog::~ReceiveLog()
{
    close();
}

bool ReceiveLog::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    auto file = std::make_unique<LogFile>();
    if (!file->open(fileName)) {
        m_error = file->errorString();
        fail(m_error);
        return false;
    }
    m_error.clear();
    if (file->writeNotifierHandle() >= 0)
        m_pipe = std::move(file);
    else
        openWriter(fileName, writeAllTo(std::move(file)));
    return true;
}

void ReceiveLog::openWriter(const QString &fileName, LogWriter::WriteFunction write)
{
    close();
    m_fileName = fileName;
    m_writer = std::make_unique<LogWriter>(std::move(write));
    connect(m_writer.get(), &LogWriter::failed, this, &ReceiveLog::fail);
}

void ReceiveLog::close()
{
    // Later: close() may run inside the notifier's own signal.
    if (m_writable) {
        m_writable->setEnabled(false);
        m_writable->deleteLater();
        m_writable = nullptr;
    }
    m_pending.clear();
    m_pendingSize = 0;
    m_firstWritten = 0;
    m_pipe.reset();
    m_writer.reset();
}

qint64 ReceiveLog::pendingBytes() const
{
    return m_writer ? m_writer->pendingBytes() : m_pendingSize;
}

void ReceiveLog::append(const QByteArray &bytes)
{
    if (!isLogging() || bytes.isEmpty())
        return;
    if (pendingBytes() + bytes.size() > bufferLimit) {
        fail(m_writer ? tr("the file fell %1 MiB behind").arg(bufferLimit >> 20)
                      : tr("the reader fell %1 MiB behind").arg(bufferLimit >> 20));
        return;
    }
    if (m_writer) {
        m_writer->append(bytes);
        return;
    }
    m_pending.push_back(bytes);
    m_pendingSize += bytes.size();
    // Behind a waiting batch, the notifier drains it in order.
    if (m_pending.size() == 1)
        drain();
}

void ReceiveLog::drain()
{
    while (!m_pending.empty()) {
        const QByteArray &first = m_pending.front();
        const qint64 written = m_pipe->write(first.constData() + m_firstWritten, first.size() - m_firstWritten);
        if (written < 0) {
            fail(m_pipe->errorString());
            return;
        }
        if (written == 0)
            break;
        m_firstWritten += written;
        m_pendingSize -= written;
        if (m_firstWritten == first.size()) {
            m_pending.pop_front();
            m_firstWritten = 0;
        }
    }
    const bool waiting = !m_pending.empty();
    if (waiting && !m_writable) {
        m_writable = new QSocketNotifier(m_pipe->writeNotifierHandle(), QSocketNotifier::Write, this);
        connect(m_writable, &QSocketNotifier::activated, this, &ReceiveLog::drain);
    }
    if (m_writable)
        m_writable->setEnabled(waiting);
}

// Never waits: what a stalled disk has not taken yet is dropped.
void ReceiveLog::fail(const QString &reason)
{
    qCWarning(logFileCategory) << "log file error [" << m_fileName << "]" << reason;
    if (m_writer) {
        // Later: this may run inside the writer's own signal.
        m_writer->abandon();
        m_writer->disconnect(this);
        m_writer.release()->deleteLater();
    }
    close();
    emit failed(m_fileName, reason);
}
