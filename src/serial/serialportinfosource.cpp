#include "serialportinfosource.h"

#include <QSerialPortInfo>

bool SerialPortInfoSource::devicesOfClass(int classIndex, QList<DeviceRecord> *devices)
{
    devices->clear();
    if (classIndex != 0)
        return true;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        if (port.hasVendorIdentifier() && port.hasProductIdentifier())
            devices->append(usbPortRecord(port.vendorIdentifier(), port.productIdentifier(),
                                          port.description(), port.portName()));
    }
    return true;
}

DeviceRecord SerialPortInfoSource::usbPortRecord(quint16 vendorId, quint16 productId,
                                                 const QString &description, const QString &portName)
{
    const auto hex4 = [](quint16 id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); };
    DeviceRecord record;
    record.portNameValue = portName;
    record.hardwareIds = QStringList {QStringLiteral("USB\\VID_%1&PID_%2").arg(hex4(vendorId), hex4(productId))};
    record.friendlyName = QStringLiteral("%1 (%2)").arg(description, portName);
    return record;
}
