#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class DeviceSource;
class SerialPort;

// Follows the device as it comes and goes: each checkConnection() asks the
// port finder for the ports present, opens the first one when none is open
// and drops the open one when it is no longer listed or hangs up. Whoever
// shows the connection listens to the signals.
class ConnectionWatch : public QObject
{
    Q_OBJECT

public:
    // The names of the ports to follow, best first; empty when none is there.
    using PortFinder = std::function<QStringList()>;

    // Finds ports by discovery over the platform's device source.
    explicit ConnectionWatch(QObject *parent = nullptr);
    ~ConnectionWatch() override;

    void setPortFinder(PortFinder finder);
    // Discovery over another source (a test's, the demo's); not owned.
    void setDeviceSource(DeviceSource *source);

    // Whether discovery over the device source lists this port as a known
    // device, whatever the port finder follows.
    bool isKnownDevicePort(const QString &portName) const;

    // The open port while a device is connected, else null. Owned by the watch.
    SerialPort *port() const { return m_port; }

public slots:
    // One round of the watch; the window's timer runs it once a second.
    void checkConnection();
    // Closes and drops the port if one is open, then reports disconnected().
    void disconnectDevice();
    // Drops the open port without reopening it while the port is still
    // listed: a board sent to its bootloader lingers a moment before it
    // leaves. Reports disconnected(); the watch resumes once the port has
    // gone from the list, as after any unplug.
    void releaseUntilGone();

signals:
    // The port has just opened; it lives until disconnected() is emitted.
    void connected(SerialPort *port);
    // No port is open any more (or an open failed).
    void disconnected();
    void statusMessage(const QString &text);
    // A listed port would not open; reason says why.
    void openFailed(const QString &portName, const QString &reason);

private:
    bool connectDevice(const QStringList &ports);
    void dropLostDevice(SerialPort *lost);
    void releasePort();
    void reportNotFound();

    PortFinder m_findPorts;
    std::unique_ptr<DeviceSource> m_platformSource;
    DeviceSource *m_source = nullptr;
    SerialPort *m_port = nullptr;
    bool m_devicePresent = false;
    bool m_wasPresent = false;
};
