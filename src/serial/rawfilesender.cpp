#include "rawfilesender.h"

#include "serialport.h"

#include <QFileInfo>
#include <QTimer>

RawFileSender::RawFileSender(SerialPort *port, int lineDelayMs, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_lineDelay(qMax(0, lineDelayMs))
    , m_next(new QTimer(this))
{
    m_next->setSingleShot(true);
    connect(m_next, &QTimer::timeout, this, &RawFileSender::sendNext);
}

bool RawFileSender::start(const QString &fileName)
{
    m_name = QFileInfo(fileName).fileName();
    m_file.setFileName(fileName);
    if (!m_port || !m_port->isOpen()) {
        m_error = tr("%1: no device is connected").arg(m_name);
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = tr("%1: cannot read the file: %2").arg(m_name, m_file.errorString());
        return false;
    }
    m_total = m_file.size();
    m_running = true;
    m_clock.start();
    connect(m_port, &SerialPort::bytesWritten, this, &RawFileSender::afterDrain);
    connect(m_port, &SerialPort::deviceLost, this,
            [this] { stopPartway(tr("the device went away")); });
    // The watch deletes a lost port later; a port closed any other way ends the send too.
    connect(m_port, &QObject::destroyed, this,
            [this] { stopPartway(tr("the device went away")); });
    m_next->start(0);
    return true;
}

qint64 RawFileSender::sent() const
{
    return m_handed - (m_port ? m_port->bytesToWrite() : 0);
}

void RawFileSender::cancel()
{
    stopPartway(tr("cancelled"));
}

void RawFileSender::sendNext()
{
    if (!m_running)
        return;
    if (!m_port || !m_port->isOpen()) {
        stopPartway(tr("the device went away"));
        return;
    }
    if (m_port->bytesToWrite() > 0) {
        m_waitingForDrain = true;
        return;
    }
    if (m_pending.isEmpty() && !m_file.atEnd()) {
        m_pending = m_file.read(chunkSize);
        if (m_pending.isEmpty()) {
            stopPartway(tr("read error (%1)").arg(m_file.errorString()));
            return;
        }
    }
    if (m_pending.isEmpty()) {
        const double seconds = m_clock.elapsed() / 1000.0;
        stop(tr("sent %1 bytes in %2 s").arg(m_handed).arg(seconds, 0, 'f', 1));
        return;
    }
    int size = m_pending.size();
    if (m_lineDelay > 0) {
        const int lineFeed = m_pending.indexOf('\n');
        if (lineFeed >= 0)
            size = lineFeed + 1;
    }
    const QByteArray chunk = m_pending.left(size);
    m_pending.remove(0, size);
    if (!m_port->writeBytes(chunk)) {
        stopPartway(tr("write error"));
        return;
    }
    m_handed += size;
    m_lineEnded = m_lineDelay > 0 && chunk.endsWith('\n');
    emit progressed(sent(), m_total);
    if (m_port->bytesToWrite() > 0)
        m_waitingForDrain = true;
    else
        scheduleNext();
}

void RawFileSender::afterDrain()
{
    if (!m_running || !m_port)
        return;
    emit progressed(sent(), m_total);
    if (m_waitingForDrain && m_port->bytesToWrite() == 0) {
        m_waitingForDrain = false;
        scheduleNext();
    }
}

// The next chunk on the next pass of the event loop, so keys and paints
// go between chunks; after a line, once its delay has passed.
void RawFileSender::scheduleNext()
{
    m_next->start(m_lineEnded ? m_lineDelay : 0);
    m_lineEnded = false;
}

void RawFileSender::stopPartway(const QString &why)
{
    stop(tr("%1 after %2 of %3 bytes").arg(why).arg(sent()).arg(m_total));
}

void RawFileSender::stop(const QString &why)
{
    if (!m_running)
        return;
    m_running = false;
    m_next->stop();
    m_file.close();
    if (m_port)
        disconnect(m_port, nullptr, this, nullptr);
    emit finished(QStringLiteral("%1: %2").arg(m_name, why));
}
