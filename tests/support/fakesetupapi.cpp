#include "fakesetupapi.h"

#include "windevicesource.h"

#include <algorithm>
#include <cstring>

DeviceSetupApi::DeviceSet FakeSetupApi::presentDevicesOfClass(const SetupClassGuid &setupClass)
{
    askedClasses.append(setupClass);
    auto it = classes.find(setupClass.data1);
    if (it == classes.end())
        it = classes.insert(setupClass.data1, SetupClass());
    if (it->fails)
        return nullptr;
    ++setsObtained;
    ++m_open[&*it];
    return &*it;
}

bool FakeSetupApi::enumDevice(DeviceSet set, uint32_t index, SetupDeviceInfo *device)
{
    if (device->devInst != 0 || device->reserved != 0 || device->classGuid.data1 != 0)
        ++dirtyDeviceInfo;
    if (!isOpen(set)) {
        ++handleMisuses;
        return false;
    }
    const SetupClass *setupClass = static_cast<SetupClass *>(set);
    if (index >= uint32_t(setupClass->devices.size()))
        return false;
    device->devInst = index + 1;
    return true;
}

void FakeSetupApi::propertyTypeAndSize(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                                       uint32_t *type, uint32_t *requiredSize)
{
    const Property *p = find(set, device, property);
    if (!p)
        return;
    *type = p->type;
    *requiredSize = uint32_t(p->reportedSize < 0 ? p->data.size() : p->reportedSize);
}

bool FakeSetupApi::readProperty(DeviceSet set, const SetupDeviceInfo &device, uint32_t property,
                                unsigned char *data, uint32_t size)
{
    lastReadSize = size;
    lastReadZeroed = std::all_of(data, data + size, [](unsigned char b) { return b == 0; });
    if (!lastReadZeroed)
        ++dirtyReadBuffers;
    const Property *p = find(set, device, property);
    if (!p || p->readFails || size < uint32_t(p->data.size()))
        return false;
    if (!p->data.isEmpty())
        std::memcpy(data, p->data.constData(), size_t(p->data.size()));
    return true;
}

DeviceSetupApi::RegistryKey FakeSetupApi::openDeviceKey(DeviceSet set, const SetupDeviceInfo &device)
{
    const Device *d = deviceOf(set, device);
    if (!d || d->keyFails)
        return nullptr;
    ++keysOpened;
    RegistryKey key = const_cast<Device *>(d);
    ++m_open[key];
    return key;
}

long FakeSetupApi::enumValue(RegistryKey key, uint32_t index, char16_t *name, uint32_t *nameLength, uint32_t *type,
                             unsigned char *data, uint32_t *dataSize)
{
    const long invalidHandle = 6;
    ++valueCalls;
    if (*nameLength != WinDeviceSource::valueBufferSize || *dataSize != WinDeviceSource::valueBufferSize)
        ++shortCapacities;
    if (!isOpen(key)) {
        ++handleMisuses;
        return invalidHandle;
    }
    std::fill(name, name + *nameLength, u'?');
    std::fill(data, data + *dataSize, 0xcd);

    const Device *d = static_cast<Device *>(key);
    if (index >= uint32_t(d->values.size()))
        return errorNoMoreItems;
    const Value &v = d->values.at(int(index));
    if (v.result != errorSuccess) {
        *dataSize = uint32_t(v.data.size());
        return v.result;
    }
    if (uint32_t(v.name.size()) >= *nameLength)
        return errorMoreData;
    if (uint32_t(v.data.size()) > *dataSize) {
        *dataSize = uint32_t(v.data.size());
        return errorMoreData;
    }
    for (int i = 0; i < v.name.size(); ++i)
        name[i] = char16_t(v.name.at(i).unicode());
    name[v.name.size()] = 0;
    *nameLength = uint32_t(v.reportedNameLength < 0 ? v.name.size() : v.reportedNameLength);
    *type = v.type;
    if (!v.data.isEmpty())
        std::memcpy(data, v.data.constData(), size_t(v.data.size()));
    *dataSize = uint32_t(v.data.size());
    return errorSuccess;
}

void FakeSetupApi::closeKey(RegistryKey key)
{
    ++keysClosed;
    release(key);
}

void FakeSetupApi::destroyDeviceSet(DeviceSet set)
{
    ++setsDestroyed;
    release(set);
}

const FakeSetupApi::Device *FakeSetupApi::deviceOf(DeviceSet set, const SetupDeviceInfo &device)
{
    const SetupClass *setupClass = static_cast<SetupClass *>(set);
    if (!isOpen(set) || device.devInst == 0 || device.devInst > uint32_t(setupClass->devices.size())) {
        ++handleMisuses;
        return nullptr;
    }
    return &setupClass->devices.at(int(device.devInst) - 1);
}

const FakeSetupApi::Property *FakeSetupApi::find(DeviceSet set, const SetupDeviceInfo &device, uint32_t property)
{
    const Device *d = deviceOf(set, device);
    if (!d)
        return nullptr;
    const auto it = d->properties.constFind(property);
    return it == d->properties.constEnd() ? nullptr : &*it;
}

void FakeSetupApi::release(void *handle)
{
    if (!isOpen(handle)) {
        ++handleMisuses;
        return;
    }
    --m_open[handle];
}

QByteArray utf16LittleEndian(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}
