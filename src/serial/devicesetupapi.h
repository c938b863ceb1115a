#pragma once

// The few Windows device-setup (SetupAPI) and registry calls that discovery
// makes, in plain C++ so that everything above them builds and is tested on
// any system. The Win32 binding (devicesetupapi_win32.cpp) passes each call
// straight through; it must stay free of Qt.

#include <cstdint>
#include <memory>

// The fields of a Win32 GUID.
struct SetupClassGuid
{
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
};

// The fields of SP_DEVINFO_DATA that identify one device of a set; the binding
// copies them back for every call about that device.
struct SetupDeviceInfo
{
    SetupClassGuid classGuid;
    uint32_t devInst = 0;
    uintptr_t reserved = 0;
};

class DeviceSetupApi
{
public:
    // Opaque handles: a device information set (HDEVINFO) and a registry key
    // (HKEY). nullptr stands for INVALID_HANDLE_VALUE.
    using DeviceSet = void *;
    using RegistryKey = void *;

    // Registry data types.
    static constexpr uint32_t regNone = 0;
    static constexpr uint32_t regSz = 1;
    static constexpr uint32_t regExpandSz = 2;
    static constexpr uint32_t regBinary = 3;
    static constexpr uint32_t regDword = 4;
    static constexpr uint32_t regDwordBigEndian = 5;
    static constexpr uint32_t regMultiSz = 7;

    // Device registry properties.
    static constexpr uint32_t propertyHardwareId = 1;   // SPDRP_HARDWAREID
    static constexpr uint32_t propertyFriendlyName = 12; // SPDRP_FRIENDLYNAME

    // Win32 error codes of the value walk.
    static constexpr long errorSuccess = 0;
    static constexpr long errorMoreData = 234;
    static constexpr long errorNoMoreItems = 259;

    virtual ~DeviceSetupApi() = default;

    // SetupDiGetClassDevsW(class, no enumerator, no window, DIGCF_PRESENT).
    virtual DeviceSet presentDevicesOfClass(const SetupClassGuid &setupClass) = 0;
    // SetupDiEnumDeviceInfo: false once index is past the last device.
    virtual bool enumDevice(DeviceSet set, uint32_t index, SetupDeviceInfo *device) = 0;
    // SetupDiGetDeviceRegistryPropertyW without a buffer: the type and the
    // size needed. Leaves both untouched when the property is missing.
    virtual void propertyTypeAndSize(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                                     uint32_t *type, uint32_t *requiredSize) = 0;
    // SetupDiGetDeviceRegistryPropertyW into data[0, size): true when filled.
    virtual bool readProperty(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                              unsigned char *data, uint32_t size) = 0;
    // SetupDiOpenDevRegKey(DICS_FLAG_GLOBAL, profile 0, DIREG_DEV, KEY_READ).
    virtual RegistryKey openDeviceKey(DeviceSet set, const SetupDeviceInfo &device) = 0;
    // RegEnumValueW. nameLength (UTF-16 units) and dataSize (bytes) go in as
    // the capacities and come back as the lengths used.
    virtual long enumValue(RegistryKey key, uint32_t index, char16_t *name, uint32_t *nameLength,
                           uint32_t *type, unsigned char *data, uint32_t *dataSize) = 0;
    virtual void closeKey(RegistryKey key) = 0;
    virtual void destroyDeviceSet(DeviceSet set) = 0;

    // The Win32 binding; exists only in Windows builds.
    static std::unique_ptr<DeviceSetupApi> createWin32();
};
