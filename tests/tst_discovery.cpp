#include "discovery.h"
#include "fakedevicesource.h"

#include <QTest>

Q_DECLARE_METATYPE(DeviceRecord)
Q_DECLARE_METATYPE(DeviceSource::PortNaming)

namespace {

using Naming = DeviceSource::PortNaming;
using Devices = QList<DeviceRecord>;

DeviceRecord device(const QString &portNameValue, const QStringList &hardwareIds, const QString &friendlyName)
{
    return DeviceRecord {portNameValue, hardwareIds, friendlyName};
}

DeviceRecord usbDevice(const QString &com, const QString &vidPid = QStringLiteral("VID_04D8&PID_000A"))
{
    return device(com, {QStringLiteral("USB\\") + vidPid + QStringLiteral("&REV_0100")},
                  QStringLiteral("USB Serial Device (%1)").arg(com));
}

// Records which classes were asked for.
class RecordingSource : public FakeDeviceSource
{
public:
    using FakeDeviceSource::FakeDeviceSource;
    bool devicesOfClass(int classIndex, QList<DeviceRecord> *devices) override
    {
        asked.append(classIndex);
        return FakeDeviceSource::devicesOfClass(classIndex, devices);
    }
    QList<int> asked;
};

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void extractUsbId_data();
    void extractUsbId();
    void filter_data();
    void filter();
    void classOrderAndDuplicates_data();
    void classOrderAndDuplicates();
    void failingClass_data();
    void failingClass();
};

void TestDiscovery::extractUsbId_data()
{
    QTest::addColumn<QStringList>("hardwareIds");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");
    QTest::newRow("with revision") << QStringList {"USB\\VID_04D8&PID_000A&REV_0100"} << "04D8" << "000A";
    QTest::newRow("lower case") << QStringList {"usb\\vid_04d8&pid_00df"} << "04d8" << "00df";
    QTest::newRow("interface suffix") << QStringList {"USB\\VID_239A&PID_802B&MI_00"} << "239A" << "802B";
    QTest::newRow("word characters run on") << QStringList {"USB\\VID_04D8_X&PID_000A\\7"} << "04D8_X" << "000A";
    QTest::newRow("no pattern") << QStringList {"ACPI\\PNP0501"} << "" << "";
    QTest::newRow("vid without pid") << QStringList {"USB\\VID_04D8"} << "" << "";
    QTest::newRow("no ids") << QStringList {} << "" << "";
    QTest::newRow("only the first id")
        << QStringList {"ROOT\\PORTS", "USB\\VID_04D8&PID_000A"} << "" << "";
}

void TestDiscovery::extractUsbId()
{
    QFETCH(QStringList, hardwareIds);
    QFETCH(QString, vendor);
    QFETCH(QString, product);
    QCOMPARE(Discovery::extractUsbId(1, hardwareIds), vendor);
    QCOMPARE(Discovery::extractUsbId(2, hardwareIds), product);
}

void TestDiscovery::filter_data()
{
    QTest::addColumn<Naming>("naming");
    QTest::addColumn<QList<DeviceRecord>>("devices");
    QTest::addColumn<QStringList>("ports");

    const QList<Naming> namings {Naming::FriendlyName, Naming::PortNameValue};
    for (const Naming naming : namings) {
        const bool windows = naming == Naming::FriendlyName;
        const char *tag = windows ? "windows: " : "port name: ";
        const auto row = [tag](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QLatin1String(tag) + QLatin1String(name)));
        };

        row("two devices in order") << naming << Devices {usbDevice("COM9"), usbDevice("COM3", "VID_04D8&PID_00DF")}
                                    << QStringList {"COM9", "COM3"};
        row("lower-case ids") << naming
                              << Devices {device("COM4", {"usb\\vid_04d8&pid_00df"}, "USB Serial Device (COM4)")}
                              << QStringList {"COM4"};
        row("04D8 with 000B") << naming << Devices {usbDevice("COM4", "VID_04D8&PID_000B")} << QStringList {};
        row("239A, PIDs holding 2B")
            << naming
            << Devices {usbDevice("COM1", "VID_239A&PID_002B"), usbDevice("COM2", "VID_239A&PID_802b"),
                                    usbDevice("COM3", "VID_239A&PID_2B10"), usbDevice("COM4", "VID_239A&PID_0029")}
            << QStringList {"COM1", "COM2", "COM3"};
        row("2B only with 239A") << naming << Devices {usbDevice("COM4", "VID_04D8&PID_002B")} << QStringList {};
        row("unknown vendor") << naming << Devices {usbDevice("COM4", "VID_0403&PID_6001")} << QStringList {};
        row("LPT value") << naming << Devices {usbDevice("LPT1")} << QStringList {};
        row("LPT inside value") << naming << Devices {device("XLPT2", {"USB\\VID_04D8&PID_000A"}, "Port (COM2)")}
                                << QStringList {};
        row("empty port-name value") << naming << Devices {device("", {"USB\\VID_04D8&PID_000A"}, "Port (COM2)")}
                                     << QStringList {};
        row("no hardware ids") << naming << Devices {device("COM5", {}, "USB Serial Device (COM5)")}
                               << QStringList {};
        row("known id not first") << naming
                                  << Devices {device("COM5", {"USB\\VID_1234&PID_5678", "USB\\VID_04D8&PID_000A"},
                                                                 "USB Serial Device (COM5)")}
                                  << QStringList {};
        row("known id first") << naming
                              << Devices {device("COM5", {"USB\\VID_04D8&PID_000A", "USB\\VID_1234&PID_5678"},
                                                             "USB Serial Device (COM5)")}
                              << QStringList {"COM5"};
        // Only the Windows naming reads the friendly name.
        row("friendly name without (COM")
            << naming << Devices {device("COM5", {"USB\\VID_04D8&PID_000A"}, "Serial Port")}
            << (windows ? QStringList {} : QStringList {"COM5"});
        row("friendly name without )")
            << naming << Devices {device("COM5", {"USB\\VID_04D8&PID_000A"}, "Serial Port (COM5")}
            << (windows ? QStringList {} : QStringList {"COM5"});
        row("lower-case friendly name")
            << naming << Devices {device("com6", {"USB\\VID_04D8&PID_000A"}, "usb serial device (com6)")}
            << QStringList {windows ? "COM6" : "com6"};
        row("COM before the parenthesis")
            << naming << Devices {device("COM1", {"USB\\VID_04D8&PID_000A"}, "Communications Port (COM1) x")}
            << QStringList {"COM1"};
    }

    // The port-name value is a filter only on Windows; the name comes from the friendly name.
    QTest::newRow("windows: name from friendly name")
        << Naming::FriendlyName
        << Devices {device("lpt1", {"USB\\VID_04D8&PID_000A"}, "Tarnwick (COM12)")} << QStringList {"COM12"};
    QTest::newRow("port name: system name")
        << Naming::PortNameValue
        << Devices {device("ttyACM0", {"USB\\VID_04D8&PID_000A"}, "Tarnwick (ttyACM0)")}
        << QStringList {"ttyACM0"};
}

void TestDiscovery::filter()
{
    QFETCH(Naming, naming);
    QFETCH(QList<DeviceRecord>, devices);
    QFETCH(QStringList, ports);
    FakeDeviceSource source(naming);
    source.setDevices(0, devices);
    QCOMPARE(Discovery::findDevicePorts(source), ports);
}

void TestDiscovery::classOrderAndDuplicates_data()
{
    QTest::addColumn<Naming>("naming");
    QTest::newRow("windows") << Naming::FriendlyName;
    QTest::newRow("port name") << Naming::PortNameValue;
}

void TestDiscovery::classOrderAndDuplicates()
{
    QFETCH(Naming, naming);
    RecordingSource source(naming);
    source.setDevices(5, {usbDevice("COM8")});
    source.setDevices(2, {usbDevice("COM7"), usbDevice("COM8")});
    source.setDevices(0, {usbDevice("COM8")});
    QCOMPARE(Discovery::findDevicePorts(source), (QStringList {"COM8", "COM7", "COM8", "COM8"}));
    QCOMPARE(source.asked, (QList<int> {0, 1, 2, 3, 4, 5}));
}

void TestDiscovery::failingClass_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<QStringList>("ports");
    QTest::newRow("first class") << 0 << QStringList {};
    QTest::newRow("second class") << 1 << QStringList {"COM1"};
    QTest::newRow("fourth class") << 3 << QStringList {"COM1", "COM3"};
    QTest::newRow("last class") << 5 << QStringList {"COM1", "COM3", "COM5"};
}

void TestDiscovery::failingClass()
{
    QFETCH(int, failing);
    QFETCH(QStringList, ports);
    RecordingSource source(Naming::FriendlyName);
    source.setDevices(0, {usbDevice("COM1")});
    source.setDevices(2, {usbDevice("COM3")});
    source.setDevices(4, {usbDevice("COM5")});
    source.setDevices(5, {usbDevice("COM6")});
    source.failingClass = failing;
    QCOMPARE(Discovery::findDevicePorts(source), ports);
    QCOMPARE(source.asked.size(), failing + 1);
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
