#include "simulateddevicesource.h"

#include "simulateddevice.h"

void SimulatedDeviceSource::add(SimulatedDevice *device, const QString &vidPid)
{
    m_entries.append({device, vidPid});
}

bool SimulatedDeviceSource::devicesOfClass(int classIndex, QList<DeviceRecord> *devices)
{
    devices->clear();
    if (classIndex != 0)
        return true;
    for (const Entry &entry : qAsConst(m_entries)) {
        if (!entry.device->isPlugged())
            continue;
        DeviceRecord record;
        record.portNameValue = entry.device->portName();
        record.hardwareIds = QStringList {QStringLiteral("USB\\") + entry.vidPid};
        record.friendlyName = QStringLiteral("Simulated Tarnwick Device (%1)").arg(record.portNameValue);
        devices->append(record);
    }
    return true;
}
