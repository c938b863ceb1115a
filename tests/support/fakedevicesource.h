#pragma once

#include "devicesource.h"

#include <QList>
#include <QVector>

// A device source whose classes a test fills by hand. Each setup class holds
// a list of records; failingClass makes that class's set unobtainable.
class FakeDeviceSource : public DeviceSource
{
public:
    explicit FakeDeviceSource(PortNaming naming = PortNaming::PortNameValue);

    PortNaming portNaming() const override { return m_naming; }
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override;

    void setDevices(int classIndex, const QList<DeviceRecord> &devices);
    void clear();
    // A device listed under the ports class with a given port name, as a
    // Linux port of a Tarnwick device (VID 04D8, PID 000A) is listed.
    void plug(const QString &portName, const QString &vidPid = QStringLiteral("VID_04D8&PID_000A"));
    void unplug(const QString &portName);

    int failingClass = -1;

private:
    PortNaming m_naming;
    QVector<QList<DeviceRecord>> m_classes;
};
