#include "xmodemfilesender.h"

#include "serialport.h"
#include "xmodemblock.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>

XmodemFileSender::XmodemFileSender(SerialPort *port, XmodemTransfer::Protocol protocol, QObject *parent)
    : FileSender(port, parent)
    , m_protocol(protocol)
    , m_answerTimer(new QTimer(this))
{
    m_answerTimer->setSingleShot(true);
    connect(m_answerTimer, &QTimer::timeout, this, &XmodemFileSender::timedOut);
    connect(this, &FileSender::finished, m_answerTimer, &QTimer::stop);
}

XmodemFileSender::~XmodemFileSender() = default;

qint64 XmodemFileSender::sent() const
{
    return m_transfer ? m_transfer->acknowledged() : 0;
}

void XmodemFileSender::begin()
{
    if (!m_transfer)
        prepare();
    pass(true);
}

void XmodemFileSender::prepare()
{
    const QByteArray name = QFileInfo(file().fileName()).fileName().toUtf8();
    m_transfer = std::make_unique<XmodemTransfer>(m_protocol, &file(), name, total());
}

bool XmodemFileSender::takesReceived() const
{
    return isRunning()
        || (portIsOpen() && m_cancelTold.isValid() && !m_cancelTold.hasExpired(keptAfterFinishedMs));
}

QByteArray XmodemFileSender::takeReceived(const QByteArray &bytes)
{
    if (!isRunning())
        return answerAfterCancel(bytes);
    // The receiver's 'C' may come before the first pass of the event loop.
    if (!m_transfer)
        prepare();
    const QByteArray notOurs = m_transfer->receive(bytes);
    // Only the receiver's own bytes restart the wait: a device printing
    // away before it starts must not hold the transfer open for ever.
    pass(notOurs.size() < bytes.size());
    return notOurs;
}

// A receiver that timed out on a slow byte purges its line, losing the
// cancel with it, and asks again for as long as its retries last (lrzsz's
// rb: some 40 s). Asking is all it sends, so it is told once more.
QByteArray XmodemFileSender::answerAfterCancel(const QByteArray &bytes)
{
    const bool asking = !bytes.isEmpty()
        && std::all_of(bytes.begin(), bytes.end(), [](char byte) {
               return byte == XmodemBlock::NAK || byte == XmodemBlock::CRC_START;
           });
    if (!asking || !takesReceived())
        return bytes;
    port()->writeBytes(QByteArray(2, XmodemBlock::CAN));
    return {};
}

void XmodemFileSender::timedOut()
{
    if (!isRunning() || !m_transfer)
        return;
    m_transfer->timedOut();
    pass(true);
}

void XmodemFileSender::abandon()
{
    if (!m_transfer)
        return;
    m_transfer->cancel(tr("cancelled"));
    m_cancelTold.start();
    const QByteArray output = m_transfer->takeOutput();
    if (portIsOpen() && !output.isEmpty())
        port()->writeBytes(output);
}

void XmodemFileSender::pass(bool waitAgain)
{
    const QByteArray output = m_transfer->takeOutput();
    if (!output.isEmpty()) {
        if (!portIsOpen() || !port()->writeBytes(output)) {
            stopPartway(tr("write error"));
            return;
        }
        waitAgain = true;
    }
    if (sent() != m_reported) {
        m_reported = sent();
        emit progressed(m_reported, total());
    }
    if (m_transfer->isFinished()) {
        if (m_transfer->succeeded())
            succeed();
        else
            stopPartway(m_transfer->failure());
        return;
    }
    if (waitAgain)
        m_answerTimer->start(m_transfer->timeoutMs());
}
