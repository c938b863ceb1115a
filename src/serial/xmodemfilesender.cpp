#include "xmodemfilesender.h"

#include "serialport.h"
#include "xmodemblock.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// A receiver flushes its input right after it asks for a block (lrzsz
// does, after 'C', NAK and ACK alike), so an answer that lands before the
// flush is lost and the receiver waits seconds before asking again. Over
// USB or a pseudo-terminal nothing paces the line, and a receiver that was
// slow to be scheduled asked again and again for 40 s. A request ('C' or
// NAK: the start, or a block to send again) is therefore answered after a
// moment. ACK is not, as that would slow every block.
constexpr int requestAnswerPauseMs = 100;

bool isRequest(const QByteArray &bytes)
{
    return !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char byte) {
        return byte == XmodemBlock::NAK || byte == XmodemBlock::CRC_START;
    });
}

} // namespace

XmodemFileSender::XmodemFileSender(SerialPort *port, XmodemTransfer::Protocol protocol, QObject *parent)
    : FileSender(port, parent)
    , m_protocol(protocol)
    , m_answerTimer(new QTimer(this))
    , m_requestTimer(new QTimer(this))
{
    m_answerTimer->setSingleShot(true);
    connect(m_answerTimer, &QTimer::timeout, this, &XmodemFileSender::timedOut);
    connect(this, &FileSender::finished, m_answerTimer, &QTimer::stop);
    m_requestTimer->setSingleShot(true);
    m_requestTimer->setInterval(requestAnswerPauseMs);
    connect(m_requestTimer, &QTimer::timeout, this, &XmodemFileSender::answerRequest);
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
    // 'C' and NAK are the transfer's own in every phase.
    if (isRequest(bytes)) {
        m_heldRequest += bytes;
        if (!m_requestTimer->isActive())
            m_requestTimer->start();
        return {};
    }
    m_requestTimer->stop();
    const QByteArray all = std::exchange(m_heldRequest, {}) + bytes;
    const QByteArray notOurs = m_transfer->receive(all);
    // Only the receiver's own bytes restart the wait: a device printing
    // away before it starts must not hold the transfer open for ever.
    pass(notOurs.size() < all.size());
    return notOurs;
}

void XmodemFileSender::answerRequest()
{
    if (!isRunning() || m_heldRequest.isEmpty())
        return;
    m_transfer->receive(std::exchange(m_heldRequest, {}));
    pass(true);
}

// A receiver that timed out on a slow byte flushes its line, losing the
// cancel with it, and asks again for as long as its retries last (lrzsz's
// rb: some 40 s). Asking is all it sends, so it is told once more, after
// the same pause as any answer to a request.
QByteArray XmodemFileSender::answerAfterCancel(const QByteArray &bytes)
{
    if (!isRequest(bytes) || !takesReceived())
        return bytes;
    QTimer::singleShot(requestAnswerPauseMs, this, [this] {
        if (portIsOpen())
            port()->writeBytes(QByteArray(2, XmodemBlock::CAN));
    });
    return {};
}

void XmodemFileSender::timedOut()
{
    // A request about to be answered is the answer waited for.
    if (!isRunning() || !m_transfer || m_requestTimer->isActive())
        return;
    m_transfer->timedOut();
    pass(true);
}

void XmodemFileSender::abandon()
{
    if (!m_transfer)
        return;
    m_requestTimer->stop();
    m_heldRequest.clear();
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
