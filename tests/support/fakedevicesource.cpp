#include "fakedevicesource.h"

#include "discovery.h"

FakeDeviceSource::FakeDeviceSource(PortNaming naming)
    : m_naming(naming)
    , m_classes(Discovery::portClassCount)
{
}

bool FakeDeviceSource::devicesOfClass(int classIndex, QList<DeviceRecord> *devices)
{
    if (classIndex == failingClass)
        return false;
    *devices = m_classes.value(classIndex);
    return true;
}

void FakeDeviceSource::setDevices(int classIndex, const QList<DeviceRecord> &devices)
{
    m_classes[classIndex] = devices;
}

void FakeDeviceSource::clear()
{
    for (auto &devices : m_classes)
        devices.clear();
}

void FakeDeviceSource::plug(const QString &portName, const QString &vidPid)
{
    DeviceRecord record;
    record.portNameValue = portName;
    record.hardwareIds = QStringList {QStringLiteral("USB\\") + vidPid};
    record.friendlyName = QStringLiteral("Tarnwick Device (%1)").arg(portName);
    m_classes[0].append(record);
}

void FakeDeviceSource::unplug(const QString &portName)
{
    for (auto &devices : m_classes) {
        for (int i = devices.size() - 1; i >= 0; --i) {
            if (devices.at(i).portNameValue == portName)
                devices.removeAt(i);
        }
    }
}
