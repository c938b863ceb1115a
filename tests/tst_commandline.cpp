#include "commandlineoptions.h"
#include "portlisting.h"

#include <QDir>

#include <QTextStream>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void listingPutsKnownDevicesFirst();
    void listingTakesDiscoveredDevices();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: the program goes on
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("logFile");
    QTest::addColumn<bool>("listPorts");
    QTest::newRow("none") << QStringList() << -1 << "" << "" << false;
#ifdef Q_OS_WIN
    QTest::newRow("device namespace") << QStringList {"--port", "\\\\.\\com12"} << -1 << "COM12" << "" << false;
#else
    QTest::newRow("device path") << QStringList {"--port", "/dev/ttyUSB0"} << -1 << "ttyUSB0" << "" << false;
    QTest::newRow("relative to the current folder") << QStringList {"--port", "./ttyV0"} << -1
                                                    << QDir::current().absoluteFilePath("ttyV0") << "" << false;
    QTest::newRow("bare name stays under /dev") << QStringList {"--port", "pts/3"} << -1 << "pts/3" << "" << false;
#endif
    QTest::newRow("log and list") << QStringList {"--log", "a.bin", "--list"} << -1 << "" << "a.bin" << true;
    QTest::newRow("Qt's own option") << QStringList {"-platform", "offscreen"} << -1 << "" << "" << false;
    QTest::newRow("version") << QStringList {"--version"} << 0 << "" << "" << false;
    QTest::newRow("unknown option") << QStringList {"--prot", "x"} << 2 << "" << "" << false;
    QTest::newRow("missing value") << QStringList {"--log"} << 2 << "" << "" << false;
    QTest::newRow("extra argument") << QStringList {"COM7"} << 2 << "" << "" << false;
    QTest::newRow("empty port") << QStringList {"--port", " "} << 2 << "" << "" << false;
    QTest::newRow("more of Qt's options")
        << QStringList {"-name", "bench", "-visual", "0x21", "-testability", "-qmljsdebugger=port:1234"} << -1 << ""
        << "" << false;
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const CommandLineOptions options = CommandLineOptions::parse(QStringList {"/usr/bin/tarnterm"} + arguments);
    QCOMPARE(options.proceed, exitCode < 0);
    if (!options.proceed) {
        QCOMPARE(options.exitCode, exitCode);
        QVERIFY(options.message.startsWith(exitCode == 0 ? "Tarnwick's Terminal V3.07" : "tarnterm: "));
        return;
    }
    QTEST(options.portName, "portName");
    QTEST(options.logFile, "logFile");
    QTEST(options.listPorts, "listPorts");
}

void TestCommandLine::listingPutsKnownDevicesFirst()
{
    const QList<PortListing::Port> ports {
        {"ttyS0", 0, 0, "", false},
        {"ttyUSB0", 0x0403, 0x6001, "FT232R USB UART", true},
        {"ttyACM1", 0x239a, 0x802b, "Feather", true},
    };
    QString text;
    QTextStream out(&text);
    QCOMPARE(PortListing::print(ports, out), 0);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("ttyACM1  239A:802B  Feather"));
    QVERIFY(lines[1].startsWith("ttyS0  no USB IDs  (not a known"));
    QVERIFY(lines[2].startsWith("ttyUSB0  0403:6001  FT232R USB UART  (not a known"));

    // 04D8:000B is one digit off a known pair.
    QCOMPARE(PortListing::print({{"ttyACM0", 0x04d8, 0x000b, "", true}}, out), 1);
}

// On Windows the serial-port module may list a device without its IDs, or
// not at all, where discovery finds it by its hardware ID.
void TestCommandLine::listingTakesDiscoveredDevices()
{
    const QList<PortListing::Port> listed {
        {"COM1", 0, 0, "Communications Port", false},
        {"COM7", 0, 0, "", false},
    };
    const DeviceRecord device {"COM7", {"USB\\VID_04D8&PID_000A&REV_0100"}, "Tarnwick Serial Device (COM7)"};
    const DeviceRecord other {"COM12", {"USB\\VID_239A&PID_802B"}, "Feather (COM12)"};
    const QList<PortListing::Port> ports = PortListing::withFoundDevices(listed, {{"COM7", device}, {"COM12", other}});
    QCOMPARE(ports.size(), 3);
    QString text;
    QTextStream out(&text);
    QCOMPARE(PortListing::print(ports, out), 0);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, (QStringList {
                        "COM7  04D8:000A  Tarnwick Serial Device (COM7)",
                        "COM12  239A:802B  Feather (COM12)",
                        "COM1  no USB IDs  Communications Port  (not a known Tarnwick device)",
                    }));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
