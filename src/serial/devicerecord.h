#pragma once

#include <QString>
#include <QStringList>

// What discovery needs to know about one present device.
struct DeviceRecord
{
    QString portNameValue;   // the device's "PortName" value (COM7, ttyACM0, LPT1)
    QStringList hardwareIds; // USB\VID_04D8&PID_000A&REV_0100, ...
    QString friendlyName;    // "USB Serial Device (COM7)"
};
