#include "pacedsender.h"

#include <QLoggingCategory>

namespace {

// Off by default, like every debug line; QT_LOGGING_RULES="tarnterm.keys.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(keysCategory, "tarnterm.keys", QtInfoMsg)

} // namespace

PacedSender::PacedSender(Writer write, Delay delay, QObject *parent)
    : QObject(parent)
    , m_write(std::move(write))
    , m_delay(std::move(delay))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedSender::sendNext);
}

void PacedSender::send(const QByteArray &bytes, bool functionKeyMode, bool autoRepeat)
{
    if (bytes.isEmpty())
        return;
    const Send request {bytes, functionKeyMode};
    if (functionKeyMode && autoRepeat && m_waiting.contains(request))
        return;
    const bool idle = !isBusy();
    m_waiting.enqueue(request);
    if (idle)
        sendNext();
}

qint64 PacedSender::cancel()
{
    qint64 unsent = m_current.bytes.size() - m_position;
    for (const Send &waiting : qAsConst(m_waiting))
        unsent += waiting.bytes.size();
    m_waiting.clear();
    m_current = Send();
    m_position = 0;
    m_timer.stop();
    return unsent;
}

bool PacedSender::isBusy() const
{
    return !m_current.bytes.isEmpty() || m_timer.isActive();
}

// Writes until a wait is due. With no delay the bytes go back to back and
// the next send follows at once.
void PacedSender::sendNext()
{
    for (;;) {
        if (m_position >= m_current.bytes.size()) {
            m_position = 0;
            if (m_waiting.isEmpty()) {
                m_current = Send();
                return;
            }
            m_current = m_waiting.dequeue();
        }
        if (!m_write(m_current.bytes.mid(m_position, 1))) {
            const bool functionKeyMode = m_current.functionKeyMode;
            m_current = Send();
            m_position = 0;
            m_waiting.clear();
            emit writeFailed();
            if (functionKeyMode)
                qCDebug(keysCategory) << "Can't write through the serial port.";
            return;
        }
        ++m_position;
        const int wait = m_delay();
        if (wait > 0) {
            m_timer.start(wait);
            return;
        }
    }
}
