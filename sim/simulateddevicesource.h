#pragma once

#include "devicesource.h"

#include <QList>

class SimulatedDevice;

// Lists the simulated devices that are plugged in, as a Linux system lists
// the ports of USB devices.
class SimulatedDeviceSource : public DeviceSource
{
public:
    void add(SimulatedDevice *device, const QString &vidPid = QStringLiteral("VID_04D8&PID_000A"));

    PortNaming portNaming() const override { return PortNaming::PortNameValue; }
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override;

private:
    struct Entry
    {
        SimulatedDevice *device;
        QString vidPid;
    };
    QList<Entry> m_entries;
};
