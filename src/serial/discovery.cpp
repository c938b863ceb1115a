#include "discovery.h"

#include "devicesource.h"

#include <QRegularExpression>

namespace Discovery {

const char *const portClassGuids[portClassCount] = {
    "{4D36E978-E325-11CE-BFC1-08002BE10318}", // ports (COM and LPT)
    "{DF799E12-3C56-421B-B298-B6D3642BC878}",
    "{4D36E96D-E325-11CE-BFC1-08002BE10318}", // modems
    "{CC0EF009-B820-42F4-95A9-9BFA6A5AB7AB}",
    "{9341CD95-4371-4A37-A5AF-FDB0A9D19631}",
    "{A5DCBF10-6530-11D2-901F-00C04FB951ED}", // USB device interface
};

// Row 3 matches any product whose identifier contains "2B".
const UsbId knownDeviceIds[knownDeviceIdCount] = {
    {"04D8", "000A"},
    {"04D8", "00DF"},
    {"239A", "2B"},
};

QString extractUsbId(int group, const QStringList &hardwareIds)
{
    static const QRegularExpression pattern(QStringLiteral("vid_(\\w+)&pid_(\\w+)"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::UseUnicodePropertiesOption);
    if (hardwareIds.isEmpty())
        return QString();
    return pattern.match(hardwareIds.first()).captured(group);
}

bool isKnownDevice(const QString &vendor, const QString &product)
{
    const QString upperVendor = vendor.toUpper();
    const QString upperProduct = product.toUpper();
    for (const UsbId &id : knownDeviceIds) {
        if (upperVendor.contains(QLatin1String(id.vendor))
            && upperProduct.contains(QLatin1String(id.product)))
            return true;
    }
    return false;
}

namespace {

// "USB SERIAL DEVICE (COM12)" gives "COM12". Starting at "(COM" rather than the
// first "COM" keeps names such as "COMMUNICATIONS PORT (COM1)" right.
QString portFromFriendlyName(const QString &friendlyName)
{
    const QString upper = friendlyName.toUpper();
    const int open = upper.indexOf(QLatin1String("(COM"));
    if (open < 0 || !upper.contains(QLatin1Char(')')))
        return QString();
    const QString tail = upper.mid(open + 1);
    return tail.left(tail.indexOf(QLatin1Char(')')));
}

} // namespace

QList<FoundDevice> findDevices(DeviceSource &source)
{
    const bool windowsNaming = source.portNaming() == DeviceSource::PortNaming::FriendlyName;
    QList<FoundDevice> found;
    for (int classIndex = 0; classIndex < portClassCount; ++classIndex) {
        QList<DeviceRecord> devices;
        if (!source.devicesOfClass(classIndex, &devices))
            break;
        for (const DeviceRecord &device : qAsConst(devices)) {
            // Parallel ports share the ports class with the COM ports.
            if (device.portNameValue.isEmpty() || device.portNameValue.contains(QLatin1String("LPT")))
                continue;
            if (!isKnownDevice(extractUsbId(1, device.hardwareIds), extractUsbId(2, device.hardwareIds)))
                continue;
            const QString port = windowsNaming ? portFromFriendlyName(device.friendlyName) : device.portNameValue;
            if (!port.isEmpty())
                found.append({port, device});
        }
    }
    return found;
}

QStringList findDevicePorts(DeviceSource &source)
{
    QStringList ports;
    const QList<FoundDevice> found = findDevices(source);
    for (const FoundDevice &device : found)
        ports.append(device.port);
    return ports;
}

} // namespace Discovery
