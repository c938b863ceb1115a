#include "windevicesource.h"

#include "discovery.h"

#include <QUuid>

#include <vector>

namespace {

SetupClassGuid classGuid(int classIndex)
{
    const QUuid uuid {QLatin1String(Discovery::portClassGuids[classIndex])};
    SetupClassGuid guid;
    guid.data1 = uuid.data1;
    guid.data2 = uuid.data2;
    guid.data3 = uuid.data3;
    for (int i = 0; i < 8; ++i)
        guid.data4[i] = uuid.data4[i];
    return guid;
}

// Registry strings are UTF-16 little-endian; a trailing odd byte is no unit.
QString utf16Units(const unsigned char *data, uint32_t size)
{
    QString text(int(size / 2), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = QChar(ushort(data[2 * i] | (data[2 * i + 1] << 8)));
    return text;
}

QString untilNul(const QString &units)
{
    const int nul = units.indexOf(QChar(0));
    return nul < 0 ? units : units.left(nul);
}

QStringList multiString(const QString &units)
{
    QStringList strings;
    int start = 0;
    while (start < units.size()) {
        int end = units.indexOf(QChar(0), start);
        if (end < 0)
            end = units.size();
        if (end == start)
            break;
        strings.append(units.mid(start, end - start));
        start = end + 1;
    }
    return strings;
}

} // namespace

WinDeviceSource::WinDeviceSource(std::unique_ptr<DeviceSetupApi> api)
    : m_api(std::move(api))
{
}

bool WinDeviceSource::devicesOfClass(int classIndex, QList<DeviceRecord> *devices)
{
    devices->clear();
    if (classIndex < 0 || classIndex >= Discovery::portClassCount)
        return false;
    DeviceSetupApi::DeviceSet set = m_api->presentDevicesOfClass(classGuid(classIndex));
    if (!set)
        return false;

    SetupDeviceInfo device;
    for (uint32_t index = 0; m_api->enumDevice(set, index, &device); ++index) {
        DeviceRecord record;
        record.portNameValue = queryPortNameValue(set, device);
        // A single REG_SZ hardware ID becomes a one-element list.
        record.hardwareIds = queryDeviceProperty(set, device, DeviceSetupApi::propertyHardwareId).toStringList();
        record.friendlyName = queryDeviceProperty(set, device, DeviceSetupApi::propertyFriendlyName).toString();
        devices->append(record);
        device = SetupDeviceInfo();
    }
    m_api->destroyDeviceSet(set);
    return true;
}

QVariant WinDeviceSource::queryDeviceProperty(DeviceSetupApi::DeviceSet set, const SetupDeviceInfo &device,
                                              uint32_t property)
{
    uint32_t type = DeviceSetupApi::regNone;
    uint32_t size = 0;
    m_api->propertyTypeAndSize(set, device, property, &type, &size);
    std::vector<unsigned char> buffer(size, 0);
    if (!m_api->readProperty(set, device, property, buffer.data(), size))
        return QVariant();

    switch (type) {
    case DeviceSetupApi::regSz:
    case DeviceSetupApi::regExpandSz:
        return untilNul(utf16Units(buffer.data(), size));
    case DeviceSetupApi::regMultiSz:
        return multiString(utf16Units(buffer.data(), size));
    case DeviceSetupApi::regNone:
    case DeviceSetupApi::regBinary:
        return utf16Units(buffer.data(), size);
    case DeviceSetupApi::regDword:
    case DeviceSetupApi::regDwordBigEndian: {
        // The big-endian type is read little-endian as well, on purpose.
        buffer.resize(4, 0);
        return uint(buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) | (uint(buffer[3]) << 24));
    }
    default:
        return QVariant();
    }
}

QString WinDeviceSource::queryPortNameValue(DeviceSetupApi::DeviceSet set, const SetupDeviceInfo &device)
{
    DeviceSetupApi::RegistryKey key = m_api->openDeviceKey(set, device);
    if (!key)
        return QString();

    std::vector<char16_t> name(valueBufferSize);
    std::vector<unsigned char> data(valueBufferSize);
    QString portName;
    // Any result but success ends the walk: no more values, or one too big for the buffer.
    for (uint32_t index = 0;; ++index) {
        uint32_t nameLength = valueBufferSize;
        uint32_t dataSize = valueBufferSize;
        uint32_t type = 0;
        if (m_api->enumValue(key, index, name.data(), &nameLength, &type, data.data(), &dataSize)
            != DeviceSetupApi::errorSuccess)
            break;
        if (type != DeviceSetupApi::regSz)
            continue;
        const QString valueName = QString::fromUtf16(name.data(), int(qMin(nameLength, valueBufferSize)));
        if (valueName.contains(QLatin1String("PortName"))) {
            portName = untilNul(utf16Units(data.data(), qMin(dataSize, valueBufferSize)));
            break;
        }
    }
    m_api->closeKey(key);
    return portName;
}
