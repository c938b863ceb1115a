#include "devicesource.h"

#include "devicesetupapi.h"
#include "windevicesource.h"

std::unique_ptr<DeviceSource> DeviceSource::createPlatformSource()
{
    return std::make_unique<WinDeviceSource>(DeviceSetupApi::createWin32());
}
