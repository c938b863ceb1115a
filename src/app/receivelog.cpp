#include "receivelog.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

Q_LOGGING_CATEGORY(logFileCategory, "tarnterm.log")

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
    if (!m_file.open(fileName)) {
        fail(m_file.errorString());
        return false;
    }
    return true;
}

// What the reader has not taken by now is dropped: closing must not wait.
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
    m_file.close();
}

void ReceiveLog::append(const QByteArray &bytes)
{
    if (!m_file.isOpen() || bytes.isEmpty())
        return;
    if (m_pendingSize + bytes.size() > bufferLimit) {
        fail(tr("the reader fell %1 MiB behind").arg(bufferLimit >> 20));
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
        const qint64 written = m_file.write(first.constData() + m_firstWritten, first.size() - m_firstWritten);
        if (written < 0) {
            fail(m_file.errorString());
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
    if (waiting && !m_writable && m_file.writeNotifierHandle() >= 0) {
        m_writable = new QSocketNotifier(m_file.writeNotifierHandle(), QSocketNotifier::Write, this);
        connect(m_writable, &QSocketNotifier::activated, this, &ReceiveLog::drain);
    }
    if (m_writable)
        m_writable->setEnabled(waiting);
}

void ReceiveLog::fail(const QString &reason)
{
    const QString fileName = m_file.fileName();
    qCWarning(logFileCategory) << "log file error [" << fileName << "]" << reason;
    close();
    emit failed(fileName, reason);
}
