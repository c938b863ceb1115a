#include "portlisting.h"

#include "discovery.h"
#include "serialportinfosource.h"

#include <QSerialPortInfo>
#include <QTextStream>

#include <algorithm>

namespace {

// VID:PID in the four-digit form, and whether discovery would take the port:
// the record goes through the same parsing and table as a discovered device.
bool identify(const PortListing::Port &port, QString *ids)
{
    if (!port.hasIds) {
        *ids = QStringLiteral("no USB IDs");
        return false;
    }
    const QStringList hardwareIds =
        SerialPortInfoSource::usbPortRecord(port.vendorId, port.productId, port.description, port.name).hardwareIds;
    const QString vendor = Discovery::extractUsbId(1, hardwareIds);
    const QString product = Discovery::extractUsbId(2, hardwareIds);
    *ids = vendor + QLatin1Char(':') + product;
    return Discovery::isKnownDevice(vendor, product);
}

QString line(const PortListing::Port &port, const QString &ids)
{
    QString text = port.name + QStringLiteral("  ") + ids;
    if (!port.description.isEmpty())
        text += QStringLiteral("  ") + port.description;
    return text;
}

} // namespace

QList<PortListing::Port> PortListing::withFoundDevices(QList<Port> ports,
                                                       const QList<Discovery::FoundDevice> &found)
{
    for (const Discovery::FoundDevice &device : found) {
        Port port;
        port.name = device.port;
        bool vendorOk = false;
        bool productOk = false;
        port.vendorId = Discovery::extractUsbId(1, device.record.hardwareIds).toUShort(&vendorOk, 16);
        port.productId = Discovery::extractUsbId(2, device.record.hardwareIds).toUShort(&productOk, 16);
        port.hasIds = vendorOk && productOk;
        port.description = device.record.friendlyName;
        const auto same = std::find_if(ports.begin(), ports.end(),
                                       [&port](const Port &listed) { return listed.name == port.name; });
        if (same == ports.end())
            ports.append(port);
        else
            *same = port;
    }
    return ports;
}

QList<PortListing::Port> PortListing::presentPorts(DeviceSource &source)
{
    QList<Port> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        Port port;
        port.name = info.portName();
        port.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        port.description = info.description();
        ports.append(port);
    }
    return withFoundDevices(ports, Discovery::findDevices(source));
}

int PortListing::print(const QList<Port> &ports, QTextStream &out)
{
    QStringList known;
    QStringList others;
    for (const Port &port : ports) {
        QString ids;
        if (identify(port, &ids))
            known.append(line(port, ids));
        else
            others.append(line(port, ids) + QStringLiteral("  (not a known Tarnwick device)"));
    }
    for (const QString &text : qAsConst(known))
        out << text << '\n';
    if (known.isEmpty())
        out << "No known Tarnwick device is present.\n";
    for (const QString &text : qAsConst(others))
        out << text << '\n';
    out.flush();
    return known.isEmpty() ? 1 : 0;
}
