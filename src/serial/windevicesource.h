#pragma once

#include "devicesetupapi.h"
#include "devicesource.h"

#include <QString>
#include <QVariant>

#include <memory>

// Lists the present devices of a setup class through the Windows device-setup
// interface and the registry: hardware IDs, friendly name and "PortName" value.
class WinDeviceSource : public DeviceSource
{
public:
    explicit WinDeviceSource(std::unique_ptr<DeviceSetupApi> api);

    PortNaming portNaming() const override { return PortNaming::FriendlyName; }
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override;

    // A device registry property converted by its registry type: a string, a
    // string list, an unsigned integer, or no value.
    QVariant queryDeviceProperty(DeviceSetupApi::DeviceSet set, const SetupDeviceInfo &device,
                                 uint32_t property);
    // The first REG_SZ value of the device's hardware key whose name holds
    // "PortName"; empty when there is none.
    QString queryPortNameValue(DeviceSetupApi::DeviceSet set, const SetupDeviceInfo &device);

    static constexpr uint32_t valueBufferSize = 16384;

private:
    std::unique_ptr<DeviceSetupApi> m_api;
};
