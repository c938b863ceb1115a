#include "xmodemtransfer.h"

#include "xmodemblock.h"

#include <QCoreApplication>
#include <QIODevice>

using namespace XmodemBlock;

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("XmodemTransfer", text);
}

// Beyond this a last stretch goes as one padded 1K block rather than as
// up to eight 128-byte blocks, each waiting for its own answer.
constexpr qint64 largeBlockFrom = largeSize - smallSize;

} // namespace

XmodemTransfer::XmodemTransfer(Protocol protocol, QIODevice *source, const QByteArray &name, qint64 size)
    : m_protocol(protocol)
    , m_source(source)
    , m_name(name)
    , m_size(qMax<qint64>(0, size))
{
}

QByteArray XmodemTransfer::receive(const QByteArray &bytes)
{
    QByteArray notOurs;
    for (int i = 0; i < bytes.size(); ++i) {
        if (isFinished()) {
            notOurs.append(bytes.constData() + i, bytes.size() - i);
            break;
        }
        const char byte = bytes.at(i);
        // Before the receiver asks, what the device prints is for the user.
        if (m_phase == Phase::Start && byte != CRC_START && byte != NAK && byte != CAN) {
            notOurs.append(byte);
            m_cancelSeen = false;
            continue;
        }
        answer(byte);
    }
    return notOurs;
}

void XmodemTransfer::answer(char byte)
{
    if (byte == CAN) {
        if (m_cancelSeen)
            fail(tr("the receiver cancelled"), false);
        m_cancelSeen = true;
        return;
    }
    m_cancelSeen = false;
    // A 'C' while the first block waits means the receiver missed it (it
    // asks again instead of sending NAK); later it is noise, as is anything
    // a phase does not expect.
    const bool firstBlock = m_phase == Phase::Header || (m_phase == Phase::Data && m_number == 1);
    switch (m_phase) {
    case Phase::Start:
        m_crc = byte == CRC_START;
        if (m_protocol == Protocol::Ymodem) {
            m_phase = Phase::Header;
            m_number = 0;
            m_tries = 0;
            m_current = frame(0, ymodemHeader(m_name, m_size), m_crc, '\0');
            sendCurrent();
        } else {
            nextBlock();
        }
        break;
    case Phase::Header:
    case Phase::Data:
        if (byte == ACK) {
            m_acknowledged += m_currentSize;
            m_currentSize = 0;
            if (m_phase == Phase::Header) {
                m_phase = Phase::DataStart;
                m_tries = 0;
            } else {
                nextBlock();
            }
        } else if (byte == NAK || (byte == CRC_START && firstBlock)) {
            retry(tr("block %1 was refused %2 times").arg(m_number).arg(maxTries));
        }
        break;
    case Phase::DataStart:
        if (byte == CRC_START || byte == NAK)
            nextBlock();
        break;
    case Phase::EndOfFile:
        // YMODEM receivers refuse the first EOT on purpose, to be sure of it.
        if (byte == ACK) {
            m_phase = m_protocol == Protocol::Ymodem ? Phase::BatchStart : Phase::Done;
            m_tries = 0;
        } else if (byte == NAK)
            retry(tr("the end of the file was refused %1 times").arg(maxTries));
        break;
    case Phase::BatchStart:
        if (byte == CRC_START || byte == NAK) {
            m_phase = Phase::BatchEnd;
            m_tries = 0;
            m_current = frame(0, QByteArray(), m_crc, '\0');
            sendCurrent();
        }
        break;
    case Phase::BatchEnd:
        if (byte == ACK)
            m_phase = Phase::Done;
        else if (byte == NAK)
            retry(tr("the end of the batch was refused %1 times").arg(maxTries));
        break;
    case Phase::Done:
    case Phase::Failed:
        break;
    }
}

void XmodemTransfer::nextBlock()
{
    const qint64 remaining = m_size - m_acknowledged;
    if (remaining <= 0) {
        sendEndOfFile();
        return;
    }
    const bool large = m_protocol != Protocol::Xmodem && m_crc && remaining > largeBlockFrom;
    const qint64 wanted = qMin<qint64>(remaining, large ? largeSize : smallSize);
    const QByteArray data = m_source->read(wanted);
    if (data.size() != wanted) {
        fail(tr("the file could not be read (%1)").arg(m_source->errorString()), true);
        return;
    }
    m_phase = Phase::Data;
    ++m_number;
    m_tries = 0;
    m_current = frame(m_number, data, m_crc);
    m_currentSize = wanted;
    sendCurrent();
}

void XmodemTransfer::sendEndOfFile()
{
    m_phase = Phase::EndOfFile;
    m_tries = 0;
    m_current = QByteArray(1, EOT);
    m_currentSize = 0;
    sendCurrent();
}

void XmodemTransfer::sendCurrent()
{
    m_output.append(m_current);
    ++m_tries;
}

void XmodemTransfer::retry(const QString &why)
{
    if (m_tries >= maxTries)
        fail(why, true);
    else
        sendCurrent();
}

void XmodemTransfer::timedOut()
{
    if (isFinished())
        return;
    if (m_phase == Phase::Start) {
        fail(tr("the receiver did not start within %1 s").arg(startTimeoutMs / 1000), true);
        return;
    }
    // Between a taken block and the receiver's next 'C' there is nothing
    // to send again: wait as long as for a block's answer, as many times.
    if (m_phase == Phase::DataStart || m_phase == Phase::BatchStart) {
        if (++m_tries > maxTries)
            fail(tr("the receiver stopped answering"), true);
        return;
    }
    retry(tr("the receiver stopped answering"));
}

void XmodemTransfer::cancel(const QString &why)
{
    if (!isFinished())
        fail(why, true);
}

void XmodemTransfer::fail(const QString &why, bool tellReceiver)
{
    if (tellReceiver)
        m_output.append(QByteArray(2, CAN));
    m_failure = why;
    m_phase = Phase::Failed;
}

QByteArray XmodemTransfer::takeOutput()
{
    QByteArray output;
    output.swap(m_output);
    return output;
}
