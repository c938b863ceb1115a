#pragma once

#include <QString>
#include <QStringList>

// Stands in for discovery when the user names the port: each tick it answers
// whether that one port is present, in the shape discovery answers, so the
// watch opens, drops and reopens it exactly as a found device.
class NamedPortSource
{
public:
    // name as given on the command line; deviceRoot is where Unix device
    // nodes live (a test passes a temporary folder).
    explicit NamedPortSource(const QString &name, const QString &deviceRoot = QStringLiteral("/dev"));

    // The name the serial-port module uses for a port given as COM7, ttyUSB0
    // or /dev/ttyUSB0: ttyUSB0 on Unix, COM7 on Windows. Empty for a name
    // that names no port at all.
    static QString portNameOf(const QString &given);

    QString portName() const { return m_portName; }

    // { portName() } while the port is present, otherwise empty.
    QStringList presentPorts() const;

private:
    bool isPresent() const;

    QString m_portName;
    QString m_deviceRoot;
};
