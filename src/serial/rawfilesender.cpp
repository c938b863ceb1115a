#include "rawfilesender.h"

#include "serialport.h"

#include <QTimer>

RawFileSender::RawFileSender(SerialPort *port, int lineDelayMs, QObject *parent)
    : FileSender(port, parent)
    , m_lineDelay(qMax(0, lineDelayMs))
    , m_next(new QTimer(this))
{
    m_next->setSingleShot(true);
    // A coarse timer may end a line's pause up to 5 % early, and the pause
    // is what a slow device was promised.
    m_next->setTimerType(Qt::PreciseTimer);
    connect(m_next, &QTimer::timeout, this, &RawFileSender::sendNext);
    connect(this, &FileSender::finished, m_next, &QTimer::stop);
}

void RawFileSender::begin()
{
    connect(port(), &SerialPort::bytesWritten, this, &RawFileSender::afterDrain);
    sendNext();
}

qint64 RawFileSender::sent() const
{
    return m_handed - (port() ? port()->bytesToWrite() : 0);
}

void RawFileSender::sendNext()
{
    if (!isRunning())
        return;
    if (!portIsOpen()) {
        stopPartway(tr("the device went away"));
        return;
    }
    if (port()->bytesToWrite() > 0) {
        m_waitingForDrain = true;
        return;
    }
    if (m_pending.isEmpty() && !file().atEnd()) {
        m_pending = file().read(chunkSize);
        if (m_pending.isEmpty()) {
            stopPartway(tr("read error (%1)").arg(file().errorString()));
            return;
        }
    }
    if (m_pending.isEmpty()) {
        succeed();
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
    if (!port()->writeBytes(chunk)) {
        stopPartway(tr("write error"));
        return;
    }
    m_handed += size;
    m_lineEnded = m_lineDelay > 0 && chunk.endsWith('\n');
    emit progressed(sent(), total());
    if (port()->bytesToWrite() > 0)
        m_waitingForDrain = true;
    else
        scheduleNext();
}

void RawFileSender::afterDrain()
{
    if (!isRunning() || !port())
        return;
    emit progressed(sent(), total());
    if (m_waitingForDrain && port()->bytesToWrite() == 0) {
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
