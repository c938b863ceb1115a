#include "simulateddevice.h"

#include "simulatedmodemlines.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SimulatedDevice::SimulatedDevice(QObject *parent)
    : QObject(parent)
    , m_dir(new QTemporaryDir)
    , m_modemLines(new SimulatedModemLines(this))
{
    plug();
}

SimulatedDevice::~SimulatedDevice()
{
    unplug();
    delete m_modemLines;
    delete m_dir;
}

QString SimulatedDevice::portName() const
{
    return m_dir->filePath(QStringLiteral("ttyTarnwick"));
}

bool SimulatedDevice::plug()
{
    if (isPlugged())
        return true;
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return false;
    }
    termios settings {};
    tcgetattr(m_slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(m_slave, TCSANOW, &settings);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

    QFile::remove(portName());
    QFile::link(QString::fromLocal8Bit(name), portName());

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SimulatedDevice::readFromLine);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(pendingBytes() > 0);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SimulatedDevice::writeToLine);
    m_modemLines->plugged();
    return true;
}

void SimulatedDevice::unplug()
{
    if (!isPlugged())
        return;
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    // Whatever was on its way is lost with the cable.
    m_outgoing.clear();
    m_sent = 0;
    m_line.clear();
}

void SimulatedDevice::send(const QByteArray &bytes)
{
    if (!isPlugged())
        return;
    m_outgoing += bytes;
    writeToLine();
}

void SimulatedDevice::sendFlood(qint64 count, const QByteArray &pattern)
{
    QByteArray flood;
    flood.reserve(int(count));
    while (flood.size() < count)
        flood += pattern.left(int(count - flood.size()));
    send(flood);
}

void SimulatedDevice::writeToLine()
{
    while (isPlugged() && pendingBytes() > 0) {
        const qint64 piece = m_writeSize > 0 ? qMin<qint64>(pendingBytes(), m_writeSize) : pendingBytes();
        const ssize_t n = ::write(m_master, m_outgoing.constData() + m_sent, size_t(piece));
        if (n > 0) {
            m_sent += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break; // full: the notifier calls again when there is room
        }
    }
    if (!isPlugged())
        return;
    const bool done = pendingBytes() == 0;
    m_writeNotifier->setEnabled(!done);
    if (done) {
        m_outgoing.clear();
        m_sent = 0;
    }
}

void SimulatedDevice::readFromLine()
{
    char buffer[4096];
    QByteArray bytes;
    ssize_t n;
    while (isPlugged() && (n = ::read(m_master, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, int(n));
    if (bytes.isEmpty())
        return;
    received += bytes;
    emit bytesReceived(bytes);
    if (m_echo)
        send(bytes);
    if (m_answerAt)
        answerLines(bytes);
}

void SimulatedDevice::answerLines(const QByteArray &bytes)
{
    for (char byte : bytes) {
        if (byte == '\r' || byte == '\n') {
            if (m_line.trimmed().toUpper() == "AT")
                send("OK\r\n");
            m_line.clear();
        } else {
            m_line.append(byte);
        }
    }
}
