#pragma once

#include "devicerecord.h"

#include <QList>

#include <memory>

// Enumerates the present devices of one device setup class at a time, in the
// order the operating system lists them.
class DeviceSource
{
public:
    // Where the name of a found device's port comes from.
    enum class PortNaming {
        FriendlyName,  // Windows: cut "COMn" out of "... (COMn)"
        PortNameValue, // elsewhere: the port's own name, such as ttyACM0
    };

    virtual ~DeviceSource() = default;

    virtual PortNaming portNaming() const = 0;

    // Fills devices with the present devices of setup class classIndex
    // (0 to portClassCount - 1). Returns false when the class's device set
    // cannot be had, which ends discovery for this round.
    virtual bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) = 0;

    // The source of the platform the program runs on.
    static std::unique_ptr<DeviceSource> createPlatformSource();
};
