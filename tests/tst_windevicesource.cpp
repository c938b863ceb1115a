#include "discovery.h"
#include "fakesetupapi.h"
#include "windevicesource.h"

#include <QTest>

namespace {

// "a|b|" gives "a", NUL, "b", NUL.
QString withNuls(const char *text)
{
    QString s = QString::fromLatin1(text);
    s.replace(QLatin1Char('|'), QChar(0));
    return s;
}

QByteArray utf16LittleEndian(const char *text)
{
    return utf16LittleEndian(withNuls(text));
}

using FakeValue = FakeSetupApi::Value;
using FakeDevice = FakeSetupApi::Device;

const uint32_t portsClass = 0x4D36E978;

struct Harness
{
    Harness()
        : api(new FakeSetupApi)
        , source(std::unique_ptr<DeviceSetupApi>(api))
    {
    }

    // One device of the ports class, its set opened for the query helpers.
    DeviceSetupApi::DeviceSet single(const FakeDevice &device, SetupDeviceInfo *info)
    {
        api->classes[portsClass].devices = {device};
        SetupClassGuid guid;
        guid.data1 = portsClass;
        DeviceSetupApi::DeviceSet set = api->presentDevicesOfClass(guid);
        api->enumDevice(set, 0, info);
        return set;
    }

    FakeSetupApi *api;
    WinDeviceSource source;
};

FakeDevice tarnwick(const QString &com)
{
    FakeDevice device;
    device.properties[DeviceSetupApi::propertyHardwareId] = {
        DeviceSetupApi::regMultiSz, utf16LittleEndian(withNuls("USB\\VID_04D8&PID_000A&REV_0100|USB\\VID_04D8&PID_000A||")), false};
    device.properties[DeviceSetupApi::propertyFriendlyName] = {
        DeviceSetupApi::regSz, utf16LittleEndian(QStringLiteral("USB Serial Device (%1)").arg(com) + QChar(0)), false};
    device.values = {{QStringLiteral("PortName"), DeviceSetupApi::regSz, utf16LittleEndian(com + QChar(0))}};
    return device;
}

} // namespace

Q_DECLARE_METATYPE(FakeValue)

class TestWinDeviceSource : public QObject
{
    Q_OBJECT

private slots:
    void propertyConversion_data();
    void propertyConversion();
    void propertyFailures_data();
    void propertyFailures();
    void portNameWalk_data();
    void portNameWalk();
    void portNameKeyMissing();
    void recordsOfClass();
    void classGuids_data();
    void classGuids();
    void classSetFails();
    void discoveryOverSetupApi();
};

void TestWinDeviceSource::propertyConversion_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QVariant>("expected");

    const uint sz = DeviceSetupApi::regSz;
    const uint multiSz = DeviceSetupApi::regMultiSz;
    QTest::newRow("string up to NUL") << sz << utf16LittleEndian("COM7|junk") << QVariant(QStringLiteral("COM7"));
    QTest::newRow("string without NUL") << sz << utf16LittleEndian("COM7") << QVariant(QStringLiteral("COM7"));
    QTest::newRow("string, size 0") << sz << QByteArray() << QVariant(QString(""));
    QTest::newRow("string, odd byte dropped") << sz << utf16LittleEndian("AB") + 'C' << QVariant(QStringLiteral("AB"));
    QTest::newRow("non-ASCII string") << sz << utf16LittleEndian(QStringLiteral("Gerät") + QChar(0)) << QVariant(QStringLiteral("Gerät"));
    QTest::newRow("expand string not expanded")
        << uint(DeviceSetupApi::regExpandSz) << utf16LittleEndian("%SystemRoot%\\x|") << QVariant(QStringLiteral("%SystemRoot%\\x"));
    QTest::newRow("multi-string")
        << multiSz << utf16LittleEndian("USB\\VID_04D8&PID_000A&REV_0100|USB\\VID_04D8&PID_000A||")
        << QVariant(QStringList {"USB\\VID_04D8&PID_000A&REV_0100", "USB\\VID_04D8&PID_000A"});
    QTest::newRow("multi-string without final NUL") << multiSz << utf16LittleEndian("a|b") << QVariant(QStringList {"a", "b"});
    QTest::newRow("multi-string ends at empty string") << multiSz << utf16LittleEndian("a||b||") << QVariant(QStringList {"a"});
    QTest::newRow("multi-string, first empty") << multiSz << utf16LittleEndian("|a||") << QVariant(QStringList {});
    QTest::newRow("multi-string, size 0") << multiSz << QByteArray() << QVariant(QStringList {});
    QTest::newRow("none keeps NULs") << uint(DeviceSetupApi::regNone) << utf16LittleEndian("a|b|") << QVariant(withNuls("a|b|"));
    QTest::newRow("binary, odd size") << uint(DeviceSetupApi::regBinary) << QByteArray("A\0\0\0B", 5)
                                      << QVariant(withNuls("A|"));
    QTest::newRow("binary, size 0") << uint(DeviceSetupApi::regBinary) << QByteArray() << QVariant(QString(""));
    QTest::newRow("dword") << uint(DeviceSetupApi::regDword) << QByteArray("\x01\x02\x03\x84", 4)
                           << QVariant(uint(0x84030201));
    QTest::newRow("big-endian dword read little-endian")
        << uint(DeviceSetupApi::regDwordBigEndian) << QByteArray("\x01\x02\x03\x04", 4) << QVariant(uint(0x04030201));
    QTest::newRow("dword from first four bytes") << uint(DeviceSetupApi::regDword)
                                                 << QByteArray("\x05\0\0\0\x09\x09\x09\x09", 8) << QVariant(uint(5));
    QTest::newRow("link type") << 6u << utf16LittleEndian("x|") << QVariant();
    QTest::newRow("qword type") << 11u << QByteArray(8, '\x01') << QVariant();
}

void TestWinDeviceSource::propertyConversion()
{
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QVariant, expected);
    Harness h;
    FakeDevice device;
    device.properties[DeviceSetupApi::propertyFriendlyName] = {type, data, false};
    SetupDeviceInfo info;
    const auto set = h.single(device, &info);

    const QVariant value = h.source.queryDeviceProperty(set, info, DeviceSetupApi::propertyFriendlyName);
    QCOMPARE(value.userType(), expected.userType());
    QCOMPARE(value, expected);
    // The buffer is the size the first call asked for, handed over zero-filled.
    QCOMPARE(h.api->lastReadSize, uint32_t(data.size()));
    QVERIFY(h.api->lastReadZeroed);
}

void TestWinDeviceSource::propertyFailures_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("readFails");
    QTest::newRow("missing property") << false << false;
    QTest::newRow("read fails") << true << true;
}

void TestWinDeviceSource::propertyFailures()
{
    QFETCH(bool, present);
    QFETCH(bool, readFails);
    Harness h;
    FakeDevice device;
    if (present)
        device.properties[DeviceSetupApi::propertyHardwareId] = {DeviceSetupApi::regSz, utf16LittleEndian("USB\\VID_04D8|"), readFails};
    SetupDeviceInfo info;
    const auto set = h.single(device, &info);
    QVERIFY(!h.source.queryDeviceProperty(set, info, DeviceSetupApi::propertyHardwareId).isValid());
}

void TestWinDeviceSource::portNameWalk_data()
{
    QTest::addColumn<QList<FakeValue>>("values");
    using Values = QList<FakeValue>;
    QTest::addColumn<QString>("portName");
    QTest::addColumn<int>("calls");

    const uint32_t sz = DeviceSetupApi::regSz;
    const FakeValue other {"UpperFilters", DeviceSetupApi::regMultiSz, utf16LittleEndian("serenum||")};
    QTest::newRow("only PortName") << Values {{"PortName", sz, utf16LittleEndian("COM7|")}} << "COM7" << 1;
    QTest::newRow("after other values")
        << Values {other, {"PollingPeriod", DeviceSetupApi::regDword, QByteArray(4, 0)}, {"PortName", sz, utf16LittleEndian("COM7|")}}
        << "COM7" << 3;
    QTest::newRow("other type passed over")
        << Values {{"PortName", DeviceSetupApi::regExpandSz, utf16LittleEndian("COM1|")}, {"PortName", sz, utf16LittleEndian("COM2|")}}
        << "COM2" << 2;
    QTest::newRow("first match ends the walk")
        << Values {{"PortName", sz, utf16LittleEndian("COM1|")}, {"PortName", sz, utf16LittleEndian("COM2|")}} << "COM1" << 1;
    QTest::newRow("name holding PortName") << Values {{"AltPortName2", sz, utf16LittleEndian("COM3|")}} << "COM3" << 1;
    QTest::newRow("name compared case-sensitively")
        << Values {{"portname", sz, utf16LittleEndian("COM3|")}} << "" << 2;
    QTest::newRow("name taken with its returned length")
        << Values {{"PortName", sz, utf16LittleEndian("COM3|"), DeviceSetupApi::errorSuccess, 4}} << "" << 2;
    QTest::newRow("data without NUL") << Values {{"PortName", sz, utf16LittleEndian("COM4")}} << "COM4" << 1;
    QTest::newRow("data up to NUL") << Values {{"PortName", sz, utf16LittleEndian("COM4|COM9|")}} << "COM4" << 1;
    QTest::newRow("value too big ends the walk")
        << Values {other, {"Big", sz, QByteArray(20000, 'x'), DeviceSetupApi::errorMoreData},
                             {"PortName", sz, utf16LittleEndian("COM7|")}}
        << "" << 2;
    QTest::newRow("no values") << Values {} << "" << 1;
}

void TestWinDeviceSource::portNameWalk()
{
    QFETCH(QList<FakeValue>, values);
    QFETCH(QString, portName);
    QFETCH(int, calls);
    Harness h;
    FakeDevice device;
    device.values = values;
    SetupDeviceInfo info;
    const auto set = h.single(device, &info);

    QCOMPARE(h.source.queryPortNameValue(set, info), portName);
    QCOMPARE(h.api->valueCalls, calls);
    QCOMPARE(h.api->shortCapacities, 0);
    QCOMPARE(h.api->keysOpened, 1);
    QCOMPARE(h.api->keysClosed, 1);
}

void TestWinDeviceSource::portNameKeyMissing()
{
    Harness h;
    FakeDevice device = tarnwick("COM7");
    device.keyFails = true;
    SetupDeviceInfo info;
    const auto set = h.single(device, &info);
    QCOMPARE(h.source.queryPortNameValue(set, info), QString());
    QCOMPARE(h.api->valueCalls, 0);
    QCOMPARE(h.api->keysClosed, 0);
}

void TestWinDeviceSource::recordsOfClass()
{
    Harness h;
    FakeDevice bare;
    bare.properties[DeviceSetupApi::propertyHardwareId] = {DeviceSetupApi::regSz, utf16LittleEndian("ACPI\\PNP0501|"), false};
    bare.keyFails = true;
    h.api->classes[portsClass].devices = {tarnwick("COM7"), bare, tarnwick("COM12")};

    QList<DeviceRecord> devices;
    QVERIFY(h.source.devicesOfClass(0, &devices));
    QCOMPARE(devices.size(), 3);
    QCOMPARE(devices[0].portNameValue, QStringLiteral("COM7"));
    QCOMPARE(devices[0].hardwareIds,
             (QStringList {"USB\\VID_04D8&PID_000A&REV_0100", "USB\\VID_04D8&PID_000A"}));
    QCOMPARE(devices[0].friendlyName, QStringLiteral("USB Serial Device (COM7)"));
    // A single string stands for a one-element list; what is missing stays empty.
    QCOMPARE(devices[1].hardwareIds, QStringList {"ACPI\\PNP0501"});
    QVERIFY(devices[1].portNameValue.isEmpty());
    QVERIFY(devices[1].friendlyName.isEmpty());
    QCOMPARE(devices[2].portNameValue, QStringLiteral("COM12"));

    QCOMPARE(h.api->setsDestroyed, 1);
    QCOMPARE(h.api->keysClosed, h.api->keysOpened);
    QCOMPARE(h.api->dirtyDeviceInfo, 0);
}

void TestWinDeviceSource::classGuids_data()
{
    QTest::addColumn<int>("classIndex");
    QTest::addColumn<uint>("data1");
    QTest::addColumn<uint>("data2");
    QTest::addColumn<uint>("data3");
    QTest::addColumn<QByteArray>("data4");
    QTest::newRow("ports") << 0 << 0x4D36E978u << 0xE325u << 0x11CEu << QByteArray("\xBF\xC1\x08\x00\x2B\xE1\x03\x18", 8);
    QTest::newRow("modems") << 2 << 0x4D36E96Du << 0xE325u << 0x11CEu << QByteArray("\xBF\xC1\x08\x00\x2B\xE1\x03\x18", 8);
    QTest::newRow("usb devices") << 5 << 0xA5DCBF10u << 0x6530u << 0x11D2u
                                 << QByteArray("\x90\x1F\x00\xC0\x4F\xB9\x51\xED", 8);
}

void TestWinDeviceSource::classGuids()
{
    QFETCH(int, classIndex);
    QFETCH(uint, data1);
    QFETCH(uint, data2);
    QFETCH(uint, data3);
    QFETCH(QByteArray, data4);
    Harness h;
    QList<DeviceRecord> devices;
    QVERIFY(h.source.devicesOfClass(classIndex, &devices));
    QCOMPARE(h.api->askedClasses.size(), 1);
    const SetupClassGuid &guid = h.api->askedClasses.first();
    QCOMPARE(uint(guid.data1), data1);
    QCOMPARE(uint(guid.data2), data2);
    QCOMPARE(uint(guid.data3), data3);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(guid.data4), 8), data4);
}

void TestWinDeviceSource::classSetFails()
{
    Harness h;
    h.api->classes[portsClass].fails = true;
    QList<DeviceRecord> devices {DeviceRecord {}};
    QVERIFY(!h.source.devicesOfClass(0, &devices));
    QVERIFY(devices.isEmpty());
    QCOMPARE(h.api->setsDestroyed, 0);
}

void TestWinDeviceSource::discoveryOverSetupApi()
{
    Harness h;
    FakeDevice printer = tarnwick("LPT1");
    FakeDevice other = tarnwick("COM3");
    other.properties[DeviceSetupApi::propertyHardwareId] = {DeviceSetupApi::regMultiSz, utf16LittleEndian("USB\\VID_0403&PID_6001||"), false};
    h.api->classes[portsClass].devices = {printer, tarnwick("COM7"), other};
    h.api->classes[0x4D36E96D].devices = {tarnwick("COM7")};        // modems, third class
    h.api->classes[0xCC0EF009].fails = true;                         // fourth class
    h.api->classes[0xA5DCBF10].devices = {tarnwick("COM9")};        // after the failure: never asked
    QCOMPARE(Discovery::findDevicePorts(h.source), (QStringList {"COM7", "COM7"}));
    QCOMPARE(h.api->askedClasses.size(), 4);
    QCOMPARE(h.api->setsDestroyed, 3);
    QCOMPARE(h.api->setsObtained, 3);
    QCOMPARE(h.api->keysClosed, h.api->keysOpened);
    QCOMPARE(h.api->handleMisuses, 0);
    QCOMPARE(h.api->dirtyReadBuffers, 0);
}

QTEST_GUILESS_MAIN(TestWinDeviceSource)
#include "tst_windevicesource.moc"
