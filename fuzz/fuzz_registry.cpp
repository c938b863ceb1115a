// Plays SetupAPI and the registry with arbitrary data (property types and
// sizes that need not fit the data, failing reads, value walks with any
// names, types and sizes, keys that do not open, sets that cannot be had)
// and runs discovery over WinDeviceSource. Besides the sanitizers' verdict:
// every set and key is given back exactly once, the walks get full and
// cleared buffers, and every name found is "COM..." cut out of the friendly
// name of a device, in order, one device per name.
//
// Input: for each of the six classes one byte (low bit: the class fails,
// next two bits: device count), then per device the hardware-ID and
// friendly-name properties (see takeProperty) and its key (see takeKey).

#include "fakesetupapi.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "discovery.h"
#include "windevicesource.h"

namespace {

// The first field of each class GUID, in discovery's order.
const uint32_t classIds[Discovery::portClassCount] = {
    0x4D36E978, 0xDF799E12, 0x4D36E96D, 0xCC0EF009, 0x9341CD95, 0xA5DCBF10,
};

const char *const textPieces[] = {
    "USB\\VID_04D8&PID_000A&REV_0100", "USB\\VID_04D8&PID_00DF", "usb\\vid_239a&pid_802b", "VID_0403&PID_6001",
    "USB Serial Device (COM", "(COM", "(com", ")", "COM", "7", "12", "LPT1", "PortName", "AltPortName",
    "portname", " ", "UpperFilters",
};
constexpr int textPieceCount = int(sizeof(textPieces) / sizeof(textPieces[0]));

QString takeText(FuzzInput &input)
{
    QString text;
    const int pieces = input.takeByte() & 0x0f;
    for (int i = 0; i < pieces; ++i) {
        const int choice = input.takeByte();
        if (choice < textPieceCount)
            text += QLatin1String(textPieces[choice]);
        else if (choice < 0xf0)
            text += QChar(ushort(input.takeByte()));
        else if (choice < 0xf8)
            text += QChar(0); // separates the strings of a multi-string
        else
            text += QChar(ushort(input.takeByte() << 8 | input.takeByte()));
    }
    return text;
}

// Registry data: UTF-16 text, maybe with a stray odd byte, maybe repeated
// past the 16,384-byte buffer of the value walk; or raw input bytes.
QByteArray takeData(FuzzInput &input)
{
    const quint8 shape = input.takeByte();
    QByteArray data = (shape & 1) ? input.takeBytes(input.takeByte() & 0x1f) : utf16LittleEndian(takeText(input));
    if (shape & 2)
        data.append(char(input.takeByte()));
    if ((shape & 4) && !data.isEmpty()) {
        const int length = 16384 - 4 + (input.takeByte() & 7);
        while (data.size() < length)
            data += data;
        data.truncate(length);
    }
    return data;
}

uint32_t takeType(FuzzInput &input)
{
    static const uint32_t types[] = {
        DeviceSetupApi::regSz, DeviceSetupApi::regMultiSz, DeviceSetupApi::regExpandSz, DeviceSetupApi::regNone,
        DeviceSetupApi::regBinary, DeviceSetupApi::regDword, DeviceSetupApi::regDwordBigEndian, 6, 11,
    };
    const quint8 choice = input.takeByte();
    return choice < sizeof(types) / sizeof(types[0]) ? types[choice] : choice;
}

void takeProperty(FuzzInput &input, uint32_t code, FakeSetupApi::Device *device)
{
    const quint8 shape = input.takeByte();
    if (!(shape & 1))
        return; // missing
    FakeSetupApi::Property property;
    property.type = takeType(input);
    property.data = takeData(input);
    property.readFails = shape & 2;
    if (shape & 4)
        property.reportedSize = int(quint16(input.takeByte() << 8 | input.takeByte()));
    device->properties[code] = property;
}

void takeKey(FuzzInput &input, FakeSetupApi::Device *device)
{
    const quint8 shape = input.takeByte();
    device->keyFails = shape & 1;
    for (int count = (shape >> 1) & 7; count > 0; --count) {
        FakeSetupApi::Value value;
        const quint8 valueShape = input.takeByte();
        value.name = takeText(input);
        if (valueShape & 1)
            value.name = value.name.repeated(16384 / qMax(1, value.name.size()) + 1).left(16384 - 2 + (valueShape >> 6));
        value.type = (valueShape & 2) ? takeType(input) : DeviceSetupApi::regSz;
        value.data = takeData(input);
        if (valueShape & 4)
            value.result = input.takeByte();
        if (valueShape & 8)
            value.reportedNameLength = input.takeByte() % (value.name.size() + 1);
        device->values.append(value);
    }
}

// All UTF-16 units of a property as discovery may read them, the buffer
// being as long as the size first reported.
QString upperUnits(const FakeSetupApi::Device &device, uint32_t code)
{
    const auto it = device.properties.constFind(code);
    if (it == device.properties.constEnd())
        return QString();
    QByteArray data = it->data;
    if (it->reportedSize > data.size())
        data.append(QByteArray(it->reportedSize - data.size(), 0));
    QString units;
    for (int i = 0; i + 1 < data.size(); i += 2)
        units += QChar(ushort(uchar(data[i]) | uchar(data[i + 1]) << 8));
    return units.toUpper();
}

// What a device must show for a name to be taken from it.
bool couldName(const FakeSetupApi::Device &device, const QString &port)
{
    if (device.keyFails || !upperUnits(device, DeviceSetupApi::propertyFriendlyName).contains(port))
        return false;
    const QString ids = upperUnits(device, DeviceSetupApi::propertyHardwareId);
    if (!ids.contains(QLatin1String("VID_")) || !ids.contains(QLatin1String("&PID_")))
        return false;
    for (const FakeSetupApi::Value &value : device.values) {
        if (value.type == DeviceSetupApi::regSz && value.name.contains(QLatin1String("PortName")))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    auto api = std::make_unique<FakeSetupApi>();
    FakeSetupApi *fake = api.get();
    QList<const FakeSetupApi::Device *> offered; // in discovery order, up to the first failing class
    int classesAsked = Discovery::portClassCount;
    for (int classIndex = 0; classIndex < Discovery::portClassCount; ++classIndex) {
        FakeSetupApi::SetupClass &setupClass = fake->classes[classIds[classIndex]];
        const quint8 shape = input.takeByte();
        setupClass.fails = shape & 1;
        for (int count = (shape >> 1) & 3; count > 0; --count) {
            FakeSetupApi::Device device;
            takeProperty(input, DeviceSetupApi::propertyHardwareId, &device);
            takeProperty(input, DeviceSetupApi::propertyFriendlyName, &device);
            takeKey(input, &device);
            setupClass.devices.append(device);
        }
        if (setupClass.fails && classesAsked == Discovery::portClassCount)
            classesAsked = classIndex + 1;
    }
    for (int classIndex = 0; classIndex < classesAsked; ++classIndex) {
        for (const FakeSetupApi::Device &device : fake->classes[classIds[classIndex]].devices)
            offered.append(&device);
    }

    WinDeviceSource source(std::move(api));
    const QStringList ports = Discovery::findDevicePorts(source);

    FUZZ_CHECK(fake->askedClasses.size() == classesAsked);
    for (int classIndex = 0; classIndex < classesAsked; ++classIndex)
        FUZZ_CHECK(fake->askedClasses.at(classIndex).data1 == classIds[classIndex]);
    FUZZ_CHECK(fake->handleMisuses == 0);
    FUZZ_CHECK(fake->setsDestroyed == fake->setsObtained);
    FUZZ_CHECK(fake->keysClosed == fake->keysOpened);
    FUZZ_CHECK(fake->shortCapacities == 0);
    FUZZ_CHECK(fake->dirtyDeviceInfo == 0);
    FUZZ_CHECK(fake->dirtyReadBuffers == 0);

    FUZZ_CHECK(ports.size() <= offered.size());
    int next = 0;
    for (const QString &port : ports) {
        FUZZ_CHECK(port.startsWith(QLatin1String("COM")) && !port.contains(QLatin1Char(')')));
        while (next < offered.size() && !couldName(*offered.at(next), port))
            ++next;
        FUZZ_CHECK(next < offered.size());
        ++next;
    }
    return 0;
}
