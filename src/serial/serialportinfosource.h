#pragma once

#include "devicesource.h"

// Lists the serial ports the serial-port module knows (Linux, macOS). Every
// port with USB identifiers goes under the first class, named by its own
// system name (ttyACM0); the other classes are empty.
class SerialPortInfoSource : public DeviceSource
{
public:
    PortNaming portNaming() const override { return PortNaming::PortNameValue; }
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override;

    // The record of one USB port, its hardware ID in the Windows form
    // USB\VID_04D8&PID_000A that discovery parses.
    static DeviceRecord usbPortRecord(quint16 vendorId, quint16 productId, const QString &description,
                                      const QString &portName);
};
