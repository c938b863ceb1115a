// Offers discovery arbitrary device records and holds its answer against a
// plain model of the rules, written here without the regular expression:
// classes in order up to the first one whose set cannot be had, devices in
// enumeration order with duplicates kept, "LPT" (case-sensitive) in the
// port-name value skips a device, VID and PID come from the first hardware
// ID, and the name is the port-name value or is cut out of the friendly name.
//
// Input: one byte for the naming; then for each of the six classes one byte
// (low bit: the class fails, next two bits: device count), and for each
// device its port-name value, hardware IDs (a count byte, then the IDs) and
// friendly name, each text built from pieces (see takeText).

#include "devicesource.h"
#include "discovery.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"

#include <QVector>

namespace {

struct OfferedClass
{
    bool fails = false;
    QList<DeviceRecord> devices;
};

class OfferedSource : public DeviceSource
{
public:
    PortNaming portNaming() const override { return naming; }
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override
    {
        asked.append(classIndex);
        const OfferedClass &offered = classes.at(classIndex);
        if (offered.fails)
            return false;
        *devices = offered.devices;
        return true;
    }

    PortNaming naming = PortNaming::PortNameValue;
    QVector<OfferedClass> classes = QVector<OfferedClass>(Discovery::portClassCount);
    QList<int> asked;
};

// Pieces that make the interesting cases likely; anything else is one
// character, Latin-1 or one of a few letters, digits and marks beyond it.
const char *const textPieces[] = {
    "vid_", "VID_", "Vid_", "&pid_", "&PID_", "&", "_", "\\", "04D8", "04d8", "000A", "000a",
    "00DF", "00df", "239A", "239a", "2B", "2b", "(COM", "(com", "(Com", ")", "COM", "com",
    "LPT", "lpt", "USB\\", " (", "7", "12", "&REV_0100",
};
constexpr int textPieceCount = int(sizeof(textPieces) / sizeof(textPieces[0]));
const ushort otherCharacters[] = {
    0x0660, // ARABIC-INDIC DIGIT ZERO
    0x0301, // COMBINING ACUTE ACCENT, a mark: no word character
    0x01C5, // a title-case letter
    0x0131, // dotless i
    0x0130, // capital I with dot
    0x212A, // KELVIN SIGN
    0xFF10, // FULLWIDTH DIGIT ZERO
    0x2160, // ROMAN NUMERAL ONE, a letter-like number
    0x0149, // upper-cases to two characters
    0xFF08, // FULLWIDTH LEFT PARENTHESIS
};
constexpr int otherCharacterCount = int(sizeof(otherCharacters) / sizeof(otherCharacters[0]));

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
        else
            text += QChar(otherCharacters[choice % otherCharacterCount]);
    }
    return text;
}

// The model.

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool startsWithAt(const QString &text, int at, const char *lowerPrefix)
{
    for (int i = 0; lowerPrefix[i]; ++i) {
        if (at + i >= text.size())
            return false;
        const ushort c = text.at(at + i).unicode();
        const ushort lower = ushort(lowerPrefix[i]);
        if (c != lower && !(lower >= 'a' && lower <= 'z' && c == lower - 'a' + 'A'))
            return false;
    }
    return true;
}

int wordEnd(const QString &text, int from)
{
    while (from < text.size() && isWordCharacter(text.at(from)))
        ++from;
    return from;
}

// VID and PID: the word runs after the first "vid_" that is followed by a
// run, "&pid_" and another run.
struct UsbId
{
    QString vendor;
    QString product;
};

UsbId usbIdOf(const QStringList &hardwareIds)
{
    if (hardwareIds.isEmpty())
        return {};
    const QString &id = hardwareIds.first();
    for (int at = 0; at < id.size(); ++at) {
        if (!startsWithAt(id, at, "vid_"))
            continue;
        const int vendorEnd = wordEnd(id, at + 4);
        if (vendorEnd == at + 4 || !startsWithAt(id, vendorEnd, "&pid_"))
            continue;
        const int productStart = vendorEnd + 5;
        const int productEnd = wordEnd(id, productStart);
        if (productEnd == productStart)
            continue;
        return {id.mid(at + 4, vendorEnd - at - 4), id.mid(productStart, productEnd - productStart)};
    }
    return {};
}

bool isKnown(const UsbId &id)
{
    const QString vendor = id.vendor.toUpper();
    const QString product = id.product.toUpper();
    return (vendor.contains(QLatin1String("04D8")) && product.contains(QLatin1String("000A")))
        || (vendor.contains(QLatin1String("04D8")) && product.contains(QLatin1String("00DF")))
        || (vendor.contains(QLatin1String("239A")) && product.contains(QLatin1String("2B")));
}

// "... (COM12) ..." gives "COM12"; empty when the name holds no port.
QString portOfFriendlyName(const QString &friendlyName)
{
    const QString upper = friendlyName.toUpper();
    const int open = upper.indexOf(QLatin1String("(COM"));
    if (open < 0 || !upper.contains(QLatin1Char(')')))
        return QString();
    const QString port = upper.mid(open + 1);
    const int close = port.indexOf(QLatin1Char(')'));
    return close < 0 ? port : port.left(close);
}

QStringList expectedPorts(const OfferedSource &source)
{
    QStringList ports;
    for (const OfferedClass &offered : source.classes) {
        if (offered.fails)
            break;
        for (const DeviceRecord &device : offered.devices) {
            if (device.portNameValue.isEmpty() || device.portNameValue.contains(QLatin1String("LPT")))
                continue;
            if (!isKnown(usbIdOf(device.hardwareIds)))
                continue;
            if (source.naming == DeviceSource::PortNaming::PortNameValue) {
                ports.append(device.portNameValue);
                continue;
            }
            const QString port = portOfFriendlyName(device.friendlyName);
            if (!port.isEmpty())
                ports.append(port);
        }
    }
    return ports;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    OfferedSource source;
    if (input.takeByte() & 1)
        source.naming = DeviceSource::PortNaming::FriendlyName;
    int firstFailing = Discovery::portClassCount;
    for (int classIndex = 0; classIndex < Discovery::portClassCount; ++classIndex) {
        OfferedClass &offered = source.classes[classIndex];
        const quint8 shape = input.takeByte();
        offered.fails = shape & 1;
        if (offered.fails)
            firstFailing = qMin(firstFailing, classIndex);
        for (int count = (shape >> 1) & 3; count > 0; --count) {
            DeviceRecord device;
            device.portNameValue = takeText(input);
            for (int ids = input.takeByte() & 3; ids > 0; --ids)
                device.hardwareIds.append(takeText(input));
            device.friendlyName = takeText(input);
            offered.devices.append(device);

            const UsbId id = usbIdOf(device.hardwareIds);
            FUZZ_CHECK(Discovery::extractUsbId(1, device.hardwareIds) == id.vendor);
            FUZZ_CHECK(Discovery::extractUsbId(2, device.hardwareIds) == id.product);
            FUZZ_CHECK(Discovery::isKnownDevice(id.vendor, id.product) == isKnown(id));
        }
    }

    const QStringList ports = Discovery::findDevicePorts(source);
    FUZZ_CHECK(ports == expectedPorts(source));
    // Each class once, in order, and none after the first that failed.
    QList<int> asked;
    for (int classIndex = 0; classIndex <= qMin(firstFailing, Discovery::portClassCount - 1); ++classIndex)
        asked.append(classIndex);
    FUZZ_CHECK(source.asked == asked);
    return 0;
}
