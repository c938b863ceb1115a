// Binds DeviceSetupApi to SetupAPI and the registry. Kept free of Qt so the
// CI can compile it with a bare MinGW cross compiler.

#include "devicesetupapi.h"

#include <windows.h>

#include <setupapi.h>
#include <winreg.h>

#include <cstring>

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters are UTF-16 units");

GUID toGuid(const SetupClassGuid &in)
{
    GUID out;
    out.Data1 = in.data1;
    out.Data2 = in.data2;
    out.Data3 = in.data3;
    std::memcpy(out.Data4, in.data4, sizeof out.Data4);
    return out;
}

SetupClassGuid fromGuid(const GUID &in)
{
    SetupClassGuid out;
    out.data1 = in.Data1;
    out.data2 = in.Data2;
    out.data3 = in.Data3;
    std::memcpy(out.data4, in.Data4, sizeof out.data4);
    return out;
}

SP_DEVINFO_DATA toDevInfo(const SetupDeviceInfo &in)
{
    SP_DEVINFO_DATA out = {};
    out.cbSize = sizeof(SP_DEVINFO_DATA);
    out.ClassGuid = toGuid(in.classGuid);
    out.DevInst = in.devInst;
    out.Reserved = in.reserved;
    return out;
}

HDEVINFO toSet(DeviceSetupApi::DeviceSet set)
{
    return static_cast<HDEVINFO>(set);
}

class Win32DeviceSetupApi : public DeviceSetupApi
{
public:
    DeviceSet presentDevicesOfClass(const SetupClassGuid &setupClass) override
    {
        const GUID guid = toGuid(setupClass);
        HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT);
        return set == INVALID_HANDLE_VALUE ? nullptr : set;
    }

    bool enumDevice(DeviceSet set, uint32_t index, SetupDeviceInfo *device) override
    {
        // cbSize is 28 in 32-bit builds and 32 in 64-bit ones; SetupAPI refuses any other.
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(SP_DEVINFO_DATA);
        if (!SetupDiEnumDeviceInfo(toSet(set), index, &data))
            return false;
        device->classGuid = fromGuid(data.ClassGuid);
        device->devInst = data.DevInst;
        device->reserved = data.Reserved;
        return true;
    }

    void propertyTypeAndSize(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                             uint32_t *type, uint32_t *requiredSize) override
    {
        SP_DEVINFO_DATA data = toDevInfo(device);
        DWORD dataType = *type;
        DWORD size = *requiredSize;
        // Fails with ERROR_INSUFFICIENT_BUFFER by design; only the type and size matter.
        SetupDiGetDeviceRegistryPropertyW(toSet(set), &data, property, &dataType, nullptr, 0, &size);
        *type = dataType;
        *requiredSize = size;
    }

    bool readProperty(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                      unsigned char *buffer, uint32_t size) override
    {
        SP_DEVINFO_DATA data = toDevInfo(device);
        return SetupDiGetDeviceRegistryPropertyW(toSet(set), &data, property, nullptr, buffer, size,
                                                 nullptr)
            != FALSE;
    }

    RegistryKey openDeviceKey(DeviceSet set, const SetupDeviceInfo &device) override
    {
        SP_DEVINFO_DATA data = toDevInfo(device);
        HKEY key = SetupDiOpenDevRegKey(toSet(set), &data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        return key == INVALID_HANDLE_VALUE ? nullptr : key;
    }

    long enumValue(RegistryKey key, uint32_t index, char16_t *name, uint32_t *nameLength,
                   uint32_t *type, unsigned char *data, uint32_t *dataSize) override
    {
        DWORD nameCapacity = *nameLength;
        DWORD dataType = 0;
        DWORD size = *dataSize;
        const LONG result = RegEnumValueW(static_cast<HKEY>(key), index,
                                          reinterpret_cast<wchar_t *>(name), &nameCapacity, nullptr,
                                          &dataType, data, &size);
        *nameLength = nameCapacity;
        *type = dataType;
        *dataSize = size;
        return result;
    }

    void closeKey(RegistryKey key) override
    {
        RegCloseKey(static_cast<HKEY>(key));
    }

    void destroyDeviceSet(DeviceSet set) override
    {
        SetupDiDestroyDeviceInfoList(toSet(set));
    }
};

} // namespace

std::unique_ptr<DeviceSetupApi> DeviceSetupApi::createWin32()
{
    return std::make_unique<Win32DeviceSetupApi>();
}
