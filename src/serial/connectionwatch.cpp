#include "connectionwatch.h"

#include "devicesource.h"
#include "discovery.h"
#include "serialport.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <utility>

namespace {

// Off by default, like every debug line; QT_LOGGING_RULES="tarnterm.serial.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(serialLog, "tarnterm.serial", QtInfoMsg)

} // namespace

ConnectionWatch::ConnectionWatch(QObject *parent)
    : QObject(parent)
    , m_platformSource(DeviceSource::createPlatformSource())
{
    setDeviceSource(m_platformSource.get());
}

// A watch destroyed while connected must not leave the port open behind it.
ConnectionWatch::~ConnectionWatch()
{
    releasePort();
}

void ConnectionWatch::setPortFinder(PortFinder finder)
{
    m_findPorts = std::move(finder);
}

void ConnectionWatch::setDeviceSource(DeviceSource *source)
{
    m_source = source;
    setPortFinder([source] { return source ? Discovery::findDevicePorts(*source) : QStringList(); });
}

bool ConnectionWatch::isKnownDevicePort(const QString &portName) const
{
    return m_source && Discovery::findDevicePorts(*m_source).contains(portName);
}

void ConnectionWatch::checkConnection()
{
    const QStringList ports = m_findPorts ? m_findPorts() : QStringList();
    m_devicePresent = !ports.isEmpty();

    if (m_port) {
        if (ports.contains(m_port->portName()))
            return;
        m_devicePresent = false;
    }

    if (m_devicePresent != m_wasPresent && m_devicePresent) {
        if (connectDevice(ports)) {
            emit statusMessage(QStringLiteral("the Tarnwick Device was found. [") + m_port->portName()
                               + QStringLiteral("]"));
            qCDebug(serialLog) << "the Tarnwick Device was found. [" << m_port->portName() << "]";
        } else {
            m_devicePresent = false;
            m_wasPresent = true;
            qCDebug(serialLog) << "exit";
        }
    }
    if (m_devicePresent != m_wasPresent && !m_devicePresent) {
        reportNotFound();
        disconnectDevice();
    }
    m_wasPresent = m_devicePresent;
}

bool ConnectionWatch::connectDevice(const QStringList &ports)
{
    const QString name = ports.first();
    qCDebug(serialLog) << "p : " << name;

    auto *port = new SerialPort;
    port->setBaudRateCode(12);
    port->setFlowControlCode(0);
    port->setParityCode(0);
    port->setDataBitsCode(3);
    port->setStopBitsCode(0);

    if (!port->openPort(name)) {
        qCDebug(serialLog) << "open failed:" << port->errorString();
        emit openFailed(name, port->errorString());
        port->closePort();
        delete port;
        return false;
    }
    m_port = port;
    connect(port, &SerialPort::deviceLost, this, [this, port] { dropLostDevice(port); });
    emit connected(port);
    return true;
}

void ConnectionWatch::disconnectDevice()
{
    releasePort();
    emit disconnected();
}

void ConnectionWatch::releaseUntilGone()
{
    if (!m_port)
        return;
    releasePort();
    m_devicePresent = m_wasPresent = true;
    emit disconnected();
}

// Closing a port whose device has just gone can report the hang-up from
// inside close(); nobody is listening by then.
void ConnectionWatch::releasePort()
{
    SerialPort *port = std::exchange(m_port, nullptr);
    if (!port)
        return;
    port->disconnect(this);
    port->closePort();
    delete port;
}

// The open port hung up (unplugged). Left open, it would report errors at full
// speed, and a device back under the same name would never be reopened. The
// signal comes from inside the port object, so it is deleted later, not here.
void ConnectionWatch::dropLostDevice(SerialPort *lost)
{
    if (lost != m_port)
        return;
    m_port = nullptr;
    lost->disconnect();
    lost->closePort();
    lost->deleteLater();

    reportNotFound();
    emit disconnected();
    m_devicePresent = false;
    m_wasPresent = false;
}

void ConnectionWatch::reportNotFound()
{
    // Translated in the main window's context, where the text has always been.
    emit statusMessage(QCoreApplication::translate("TarnTerm", "the Tarnwick Device was not found."));
    qCDebug(serialLog) << "the Tarnwick Device was not found.";
}
