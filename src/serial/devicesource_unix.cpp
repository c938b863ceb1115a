#include "devicesource.h"

#include "serialportinfosource.h"

std::unique_ptr<DeviceSource> DeviceSource::createPlatformSource()
{
    return std::make_unique<SerialPortInfoSource>();
}
