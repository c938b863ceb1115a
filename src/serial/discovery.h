#pragma once

#include "devicerecord.h"

#include <QList>
#include <QString>
#include <QStringList>

class DeviceSource;

// Finding Tarnwick devices by the USB vendor and product identifiers in their
// hardware IDs. No state is kept between two calls.
namespace Discovery {

struct UsbId
{
    const char *vendor;  // upper-cased VID must contain this
    const char *product; // upper-cased PID must contain this
};

// The setup classes enumerated, in order (Windows GUID text).
extern const char *const portClassGuids[];
constexpr int portClassCount = 6;

extern const UsbId knownDeviceIds[];
constexpr int knownDeviceIdCount = 3;

// Group 1 (VID) or 2 (PID) of "vid_(\w+)&pid_(\w+)" in the first hardware ID.
QString extractUsbId(int group, const QStringList &hardwareIds);
bool isKnownDevice(const QString &vendor, const QString &product);

// A known device present, with the port name discovery gives it.
struct FoundDevice
{
    QString port;
    DeviceRecord record;
};

// The known devices present, in class and enumeration order.
QList<FoundDevice> findDevices(DeviceSource &source);

// Their port names, in the same order.
QStringList findDevicePorts(DeviceSource &source);

} // namespace Discovery
