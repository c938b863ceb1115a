#include "simulatedloader.h"

#include "simulateddevice.h"

namespace {

// Asks once a second, for a minute, as U-Boot's loady does.
constexpr int askEveryMs = 1000;
constexpr int maxAsks = 60;

} // namespace

SimulatedLoader::SimulatedLoader(SimulatedDevice *device, QObject *parent)
    : QObject(parent)
    , m_device(device)
{
    m_ask.setInterval(askEveryMs);
    connect(&m_ask, &QTimer::timeout, this, [this] {
        if (++m_asked > maxAsks)
            finish("\r\n## Aborted: nothing was sent\r\n");
        else
            m_device->send(m_receiver->poll());
    });
    connect(device, &SimulatedDevice::bytesReceived, this, &SimulatedLoader::take);
}

void SimulatedLoader::take(const QByteArray &bytes)
{
    if (m_receiver) {
        m_device->send(m_receiver->receive(bytes));
        if (m_receiver->state() != YmodemReceiver::State::Waiting)
            m_ask.stop();
        if (m_receiver->state() == YmodemReceiver::State::Done) {
            m_lastFile = m_receiver->data();
            finish(QStringLiteral("\r\n## Total Size      = 0x%1 = %2 Bytes (%3)\r\n")
                       .arg(m_receiver->data().size(), 8, 16, QLatin1Char('0'))
                       .arg(m_receiver->data().size())
                       .arg(QString::fromLatin1(m_receiver->fileName()))
                       .toLatin1());
        } else if (m_receiver->state() == YmodemReceiver::State::Failed) {
            finish("\r\n## Aborted: the sender cancelled\r\n");
        }
        return;
    }
    for (char byte : bytes) {
        if (byte != '\r' && byte != '\n') {
            m_line.append(byte);
            continue;
        }
        const bool loady = m_line.trimmed() == "loady";
        m_line.clear();
        if (loady) {
            start();
            return;
        }
    }
}

void SimulatedLoader::start()
{
    m_device->setEcho(false);
    m_device->send("\r\n## Ready for binary (ymodem) download at 115200 bps...\r\n");
    m_receiver = std::make_unique<YmodemReceiver>();
    m_asked = 0;
    m_device->send(m_receiver->poll());
    m_ask.start();
}

void SimulatedLoader::finish(const QByteArray &summary)
{
    m_ask.stop();
    m_receiver.reset();
    // After the batch the last answer came in: echoing it would send the
    // protocol's bytes back.
    QTimer::singleShot(100, this, [this, summary] {
        m_device->send(summary);
        m_device->setEcho(true);
    });
}
