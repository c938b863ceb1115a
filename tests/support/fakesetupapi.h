#pragma once

#include "devicesetupapi.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

// Plays SetupAPI and the registry from hand-filled classes. Classes are told
// apart by the first field of their GUID, which differs for all six. Every
// handle given out is counted, and a call with a handle that is not open
// (never obtained, or already closed) is counted as a misuse.
class FakeSetupApi : public DeviceSetupApi
{
public:
    struct Value
    {
        QString name;
        uint32_t type = regSz;
        QByteArray data;
        long result = errorSuccess; // anything else is returned as it is
        int reportedNameLength = -1; // -1: the name's own length
    };

    struct Property
    {
        uint32_t type = regSz;
        QByteArray data;
        bool readFails = false;
        int reportedSize = -1; // size told by the first call; -1: the data's size
    };

    struct Device
    {
        QMap<uint32_t, Property> properties;
        bool keyFails = false;
        QList<Value> values;
    };

    struct SetupClass
    {
        bool fails = false;
        QList<Device> devices;
    };

    DeviceSet presentDevicesOfClass(const SetupClassGuid &setupClass) override;
    bool enumDevice(DeviceSet set, uint32_t index, SetupDeviceInfo *device) override;
    void propertyTypeAndSize(DeviceSet set, const SetupDeviceInfo &device, uint32_t property, uint32_t *type,
                             uint32_t *requiredSize) override;
    bool readProperty(DeviceSet set, const SetupDeviceInfo &device, uint32_t property, unsigned char *data,
                      uint32_t size) override;
    RegistryKey openDeviceKey(DeviceSet set, const SetupDeviceInfo &device) override;
    // Like RegEnumValueW it never writes past the capacities it is given, and
    // answers errorMoreData when the name (with its NUL) or the data do not
    // fit. It does write over the whole of both capacities first, so a caller
    // that claims more room than it has is caught by the address sanitizer.
    long enumValue(RegistryKey key, uint32_t index, char16_t *name, uint32_t *nameLength, uint32_t *type,
                   unsigned char *data, uint32_t *dataSize) override;
    void closeKey(RegistryKey key) override;
    void destroyDeviceSet(DeviceSet set) override;

    QMap<uint32_t, SetupClass> classes;
    QList<SetupClassGuid> askedClasses;
    int setsObtained = 0;
    int setsDestroyed = 0;
    int keysOpened = 0;
    int keysClosed = 0;
    int valueCalls = 0;
    int shortCapacities = 0; // value walk calls not given the full buffers
    int dirtyDeviceInfo = 0; // enumeration given a record not cleared
    int dirtyReadBuffers = 0; // property reads given a buffer not zero-filled
    int handleMisuses = 0;
    uint32_t lastReadSize = 0;
    bool lastReadZeroed = true;

private:
    const Device *deviceOf(DeviceSet set, const SetupDeviceInfo &device);
    const Property *find(DeviceSet set, const SetupDeviceInfo &device, uint32_t property);
    bool isOpen(void *handle) const { return m_open.value(handle) > 0; }
    void release(void *handle);

    QHash<void *, int> m_open; // sets and keys with their open count
};

// UTF-16 little-endian, as the registry stores strings.
QByteArray utf16LittleEndian(const QString &text);
