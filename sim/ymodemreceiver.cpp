#include "ymodemreceiver.h"

#include "xmodemblock.h"

#include <QList>

using namespace XmodemBlock;

namespace {

// Taken, and the next block asked for with 'C'.
QByteArray takenAskingForMore()
{
    return QByteArray(1, ACK).append(CRC_START);
}

} // namespace

QByteArray YmodemReceiver::poll() const
{
    return m_state == State::Waiting ? QByteArray(1, CRC_START) : QByteArray();
}

QByteArray YmodemReceiver::receive(const QByteArray &bytes)
{
    if (m_state == State::Done || m_state == State::Failed)
        return QByteArray();
    m_pending.append(bytes);
    QByteArray answer;
    bool more = true;
    while (more && !m_pending.isEmpty() && m_state != State::Done && m_state != State::Failed)
        answer.append(takeBlock(more));
    return answer;
}

QByteArray YmodemReceiver::takeBlock(bool &more)
{
    const char first = m_pending.at(0);
    if (first == CAN) {
        if (m_pending.size() < 2) {
            more = false;
            return QByteArray();
        }
        m_state = m_pending.at(1) == CAN ? State::Failed : m_state;
        m_pending.remove(0, 2);
        return QByteArray();
    }
    if (first == EOT) {
        m_pending.remove(0, 1);
        // The first EOT is refused, to be sure of it; after the second
        // comes the empty block 0 that ends the batch.
        if (!m_endOfFileSeen) {
            m_endOfFileSeen = true;
            return QByteArray(1, NAK);
        }
        m_headerTaken = false;
        m_expected = 0;
        return takenAskingForMore();
    }
    if (first != SOH && first != STX) {
        m_pending.remove(0, 1); // line noise between blocks
        return QByteArray();
    }
    const int payload = first == STX ? largeSize : smallSize;
    const int whole = 3 + payload + 2;
    if (m_pending.size() < whole) {
        more = false;
        return QByteArray();
    }
    const QByteArray block = m_pending.left(whole);
    m_pending.remove(0, whole);
    const int number = quint8(block.at(1));
    const QByteArray data = block.mid(3, payload);
    const quint16 check = quint16(quint8(block.at(3 + payload)) << 8 | quint8(block.at(4 + payload)));
    if (quint8(block.at(2)) != quint8(255 - number) || crc16(data.constData(), payload) != check) {
        m_pending.clear(); // the rest of a spoiled block
        return QByteArray(1, NAK);
    }
    if (number == ((m_expected - 1) & 0xFF) && m_state == State::Receiving)
        return QByteArray(1, ACK); // our ACK was lost: it came again
    if (number != (m_expected & 0xFF)) {
        m_state = State::Failed;
        return QByteArray(2, CAN);
    }
    ++m_expected;
    if (!m_headerTaken) {
        m_headerTaken = true;
        return takeHeader(data);
    }
    m_data.append(data.left(int(qMin<qint64>(payload, m_size - m_data.size()))));
    return QByteArray(1, ACK);
}

QByteArray YmodemReceiver::takeHeader(const QByteArray &payload)
{
    // An empty block 0 ends the batch.
    if (payload.at(0) == '\0') {
        m_state = State::Done;
        return QByteArray(1, ACK);
    }
    // The name, a NUL, then the size in decimal (and more fields after a
    // space, which the demo has no use for).
    m_name = QByteArray(payload.constData());
    m_size = QByteArray(payload.constData() + m_name.size() + 1).split(' ').value(0).toLongLong();
    m_data.clear();
    m_endOfFileSeen = false;
    m_state = State::Receiving;
    return takenAskingForMore();
}
