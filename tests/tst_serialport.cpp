#include "messagelog.h"
#include "pseudoterminal.h"
#include "serialport.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <termios.h>

namespace {

struct LineCodes
{
    int baud = 12;
    int dataBits = 3;
    int parity = 0;
    int stopBits = 0;
    int flowControl = 0;
};

void applyCodes(SerialPort &port, const LineCodes &codes)
{
    port.setBaudRateCode(codes.baud);
    port.setFlowControlCode(codes.flowControl);
    port.setParityCode(codes.parity);
    port.setDataBitsCode(codes.dataBits);
    port.setStopBitsCode(codes.stopBits);
}

// On Linux the master side of a pseudo-terminal reports the slave's line
// settings, which is where the port applied them.
termios lineSettings(const PseudoTerminal &pty)
{
    termios settings {};
    tcgetattr(pty.masterFd(), &settings);
    return settings;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    // Several cases read the port's debug lines.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("tarnterm.serial.debug=true")); }
    void freshObject();
    void baudRateTable_data();
    void baudRateTable();
    void refusedCombinations_data();
    void refusedCombinations();
    void devicePath_data();
    void devicePath();
    void opensWithMainWindowSettings();
    void lineSettingsFromCodes_data();
    void lineSettingsFromCodes();
    void failedOpen();
    void portHeldByAnotherSaysSo();
    void reopenKeepsOneDevice();
    void writeReachesDevice();
    void writeFailures();
    void receivedBytesQueued();
    void readCommWithNothingRead();
    void deviceLostOnceOnHangUp();
    void hangUpErrors_data();
    void hangUpErrors();
};

void TestSerialPort::freshObject()
{
    MessageLog log;
    SerialPort port;
    QVERIFY(port.portName().isEmpty());
    QVERIFY(!port.isOpen());
    QCOMPARE(port.baudRateCode(), 6);
    QCOMPARE(port.dataBitsCode(), 3);
    QCOMPARE(port.parityCode(), 0);
    QCOMPARE(port.stopBitsCode(), 0);
    QCOMPARE(port.flowControlCode(), 0);
    QCOMPARE(SerialPort::getBaudRate(port.baudRateCode()), 9600);
    QCOMPARE(log.lines().last().simplified(), QStringLiteral("SerialPort::getBaudRate : 9600"));
}

void TestSerialPort::baudRateTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("rate");
    QTest::newRow("first") << 0 << 110;
    QTest::newRow("14400") << 7 << 14400;
    QTest::newRow("56000") << 10 << 56000;
    QTest::newRow("main window's") << 12 << 115200;
    QTest::newRow("last") << 14 << 256000;
    QTest::newRow("past the end") << 15 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestSerialPort::baudRateTable()
{
    QFETCH(int, code);
    QFETCH(int, rate);
    MessageLog log;
    QCOMPARE(SerialPort::getBaudRate(code), rate);
    QCOMPARE(log.count(QStringLiteral("SerialPort::getBaudRate : ")), 1);
    QCOMPARE(log.lines().last().simplified(), QStringLiteral("SerialPort::getBaudRate : %1").arg(rate));
}

void TestSerialPort::refusedCombinations_data()
{
    // Setter calls in order: 'd' data bits, 's' stop bits, each with its code.
    QTest::addColumn<QString>("calls");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::newRow("1.5 stop with 8 data refused") << "s1" << 3 << 0;
    QTest::newRow("5 data then 1.5 stop") << "d0 s1" << 0 << 1;
    QTest::newRow("1.5 stop then 5 data") << "s1 d0" << 0 << 0;
    QTest::newRow("5 data with 2 stop refused") << "s2 d0" << 3 << 2;
    QTest::newRow("2 stop with 5 data refused") << "d0 s2" << 0 << 0;
    QTest::newRow("leaving 5 data under 1.5 stop refused") << "d0 s1 d2" << 0 << 1;
    QTest::newRow("2 stop with 7 data") << "d2 s2" << 2 << 2;
    QTest::newRow("data code out of table stored") << "d7" << 7 << 0;
}

void TestSerialPort::refusedCombinations()
{
    QFETCH(QString, calls);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    MessageLog log;
    SerialPort port;
    for (const QString &call : calls.split(QLatin1Char(' '))) {
        const int code = call.mid(1).toInt();
        if (call.startsWith(QLatin1Char('d')))
            port.setDataBitsCode(code);
        else
            port.setStopBitsCode(code);
    }
    QCOMPARE(port.dataBitsCode(), dataBits);
    QCOMPARE(port.stopBitsCode(), stopBits);
    QVERIFY(log.lines().isEmpty());
}

void TestSerialPort::devicePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("single digit") << "COM5" << "\\\\.\\COM5";
    QTest::newRow("two digits") << "COM12" << "\\\\.\\COM12";
    QTest::newRow("already prefixed") << "\\\\.\\COM12" << "\\\\.\\COM12";
    QTest::newRow("prefix inside") << "x\\\\.\\COM3" << "x\\\\.\\COM3";
    QTest::newRow("forward slashes are not the prefix") << "//./COM3" << "\\\\.\\//./COM3";
    QTest::newRow("empty") << "" << "\\\\.\\";
}

void TestSerialPort::devicePath()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(SerialPort::toDevicePath(name), path);
}

void TestSerialPort::opensWithMainWindowSettings()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY2(port.openPort(pty.slavePath()), qPrintable(port.errorString()));
    QVERIFY(port.isOpen());
    QCOMPARE(port.portName(), pty.slavePath());
    const QSerialPort *device = port.findChild<QSerialPort *>();
    QVERIFY(device);
    QCOMPARE(device->dataBits(), QSerialPort::Data8);
    QCOMPARE(device->parity(), QSerialPort::NoParity);
    QVERIFY(log.contains(QStringLiteral("MainController serial port:[ \"%1\" ] opening...").arg(pty.slavePath())));
    QVERIFY(log.contains(QStringLiteral("SerialPort::getBaudRate :  115200")));

    const termios settings = lineSettings(pty);
    QCOMPARE(cfgetispeed(&settings), speed_t(B115200));
    QCOMPARE(cfgetospeed(&settings), speed_t(B115200));
    QCOMPARE(settings.c_cflag & PARODD, tcflag_t(0));
    QCOMPARE(settings.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(settings.c_cflag & CRTSCTS, tcflag_t(0));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
}

void TestSerialPort::lineSettingsFromCodes_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("flowControl");
    QTest::addColumn<QSerialPort::DataBits>("expectedDataBits");
    QTest::addColumn<QSerialPort::Parity>("expectedParity");
    QTest::addColumn<QSerialPort::StopBits>("expectedStopBits");
    QTest::addColumn<QSerialPort::FlowControl>("expectedFlowControl");
    QTest::newRow("odd parity is code 1") << 3 << 1 << 0 << 0 << QSerialPort::Data8
                                          << QSerialPort::OddParity << QSerialPort::OneStop
                                          << QSerialPort::NoFlowControl;
    QTest::newRow("even parity is code 2") << 3 << 2 << 0 << 0 << QSerialPort::Data8
                                           << QSerialPort::EvenParity << QSerialPort::OneStop
                                           << QSerialPort::NoFlowControl;
    QTest::newRow("mark parity") << 3 << 3 << 0 << 0 << QSerialPort::Data8 << QSerialPort::MarkParity
                                 << QSerialPort::OneStop << QSerialPort::NoFlowControl;
    QTest::newRow("space parity") << 3 << 4 << 0 << 0 << QSerialPort::Data8 << QSerialPort::SpaceParity
                                  << QSerialPort::OneStop << QSerialPort::NoFlowControl;
    QTest::newRow("parity code 9 is none") << 3 << 9 << 0 << 0 << QSerialPort::Data8
                                           << QSerialPort::NoParity << QSerialPort::OneStop
                                           << QSerialPort::NoFlowControl;
    QTest::newRow("6 data bits") << 1 << 0 << 0 << 0 << QSerialPort::Data6 << QSerialPort::NoParity
                                 << QSerialPort::OneStop << QSerialPort::NoFlowControl;
    QTest::newRow("7 data bits, two stop") << 2 << 0 << 2 << 0 << QSerialPort::Data7
                                           << QSerialPort::NoParity << QSerialPort::TwoStop
                                           << QSerialPort::NoFlowControl;
    QTest::newRow("data code 7 is 8 bits") << 7 << 0 << 0 << 0 << QSerialPort::Data8
                                           << QSerialPort::NoParity << QSerialPort::OneStop
                                           << QSerialPort::NoFlowControl;
    QTest::newRow("RTS/CTS") << 3 << 0 << 0 << 1 << QSerialPort::Data8 << QSerialPort::NoParity
                             << QSerialPort::OneStop << QSerialPort::HardwareControl;
    QTest::newRow("XON/XOFF") << 3 << 0 << 0 << 2 << QSerialPort::Data8 << QSerialPort::NoParity
                              << QSerialPort::OneStop << QSerialPort::SoftwareControl;
    QTest::newRow("flow code 4 is none") << 3 << 0 << 0 << 4 << QSerialPort::Data8
                                         << QSerialPort::NoParity << QSerialPort::OneStop
                                         << QSerialPort::NoFlowControl;
}

// What the port handed to its device. A pseudo-terminal forces 8 bits and no
// parity on its line, so the device's own settings are what can be compared;
// the bits a pseudo-terminal keeps are checked on the line as well.
void TestSerialPort::lineSettingsFromCodes()
{
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(int, flowControl);
    QFETCH(QSerialPort::DataBits, expectedDataBits);
    QFETCH(QSerialPort::Parity, expectedParity);
    QFETCH(QSerialPort::StopBits, expectedStopBits);
    QFETCH(QSerialPort::FlowControl, expectedFlowControl);

    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, {12, dataBits, parity, stopBits, flowControl});
    QVERIFY2(port.openPort(pty.slavePath()), qPrintable(port.errorString()));

    const auto devices = port.findChildren<QSerialPort *>();
    QCOMPARE(devices.size(), 1);
    const QSerialPort *device = devices.first();
    QCOMPARE(device->dataBits(), expectedDataBits);
    QCOMPARE(device->parity(), expectedParity);
    QCOMPARE(device->stopBits(), expectedStopBits);
    QCOMPARE(device->flowControl(), expectedFlowControl);

    const termios settings = lineSettings(pty);
    const bool oddOrMark = expectedParity == QSerialPort::OddParity || expectedParity == QSerialPort::MarkParity;
    QCOMPARE(bool(settings.c_cflag & PARODD), oddOrMark);
    QCOMPARE(bool(settings.c_cflag & CSTOPB), expectedStopBits == QSerialPort::TwoStop);
    QCOMPARE(bool(settings.c_cflag & CRTSCTS), expectedFlowControl == QSerialPort::HardwareControl);
    QCOMPARE(bool(settings.c_iflag & IXON), expectedFlowControl == QSerialPort::SoftwareControl);
}

void TestSerialPort::failedOpen()
{
    MessageLog log;
    SerialPort port;
    const QString missing = QStringLiteral("/dev/tarnterm-no-such-port");
    QVERIFY(!port.openPort(missing));
    QVERIFY(!port.isOpen());
    QVERIFY(port.portName().isEmpty());
    QVERIFY(!port.errorString().isEmpty());
    QVERIFY(log.contains(QStringLiteral("MainController serial port:[ \"%1\" ] opening...").arg(missing)));
}

void TestSerialPort::reopenKeepsOneDevice()
{
    PseudoTerminal first;
    PseudoTerminal second;
    QVERIFY(first.isValid() && second.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(first.slavePath()));
    QVERIFY(port.openPort(second.slavePath()));
    QCOMPARE(port.portName(), second.slavePath());

    QVERIFY(port.writeBytes("x"));
    QCOMPARE(second.readAtLeast(1), QByteArray("x"));
    QVERIFY(first.readAvailable().isEmpty());

    // A failed reopen keeps the name of the last good one.
    QVERIFY(!port.openPort(QStringLiteral("/dev/tarnterm-no-such-port")));
    QCOMPARE(port.portName(), second.slavePath());
}

void TestSerialPort::writeReachesDevice()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(pty.slavePath()));

    const QByteArray bytes("AT\r\n\x00\xff", 6);
    QVERIFY(port.writeBytes(bytes));
    QVERIFY(port.writeBytes("!"));
    QCOMPARE(pty.readAtLeast(bytes.size() + 1), bytes + "!");
    QVERIFY(!log.contains(QStringLiteral("write error")));
}

void TestSerialPort::writeFailures()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;

    QVERIFY(!port.writeBytes("abc"));
    QVERIFY(log.lines().isEmpty());

    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(pty.slavePath()));
    log.clear();
    QVERIFY(!port.writeBytes(QByteArray()));
    QCOMPARE(log.lines(),
             QStringList {QStringLiteral("SerialPort write error.[ \"%1\" ]").arg(pty.slavePath())});

    port.closePort();
    QVERIFY(!port.isOpen());
    log.clear();
    QVERIFY(!port.writeBytes("abc"));
    QVERIFY(log.lines().isEmpty());
}

void TestSerialPort::receivedBytesQueued()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(pty.slavePath()));
    QSignalSpy readComm(&port, &SerialPort::readComm);

    QVERIFY(pty.write(QByteArray("\x01\x00\x7f", 3)));
    QTRY_COMPARE(port.receivedBytes.size(), 3);
    QCOMPARE(port.receivedBytes, QByteArray("\x01\x00\x7f", 3));
    QCOMPARE(readComm.count(), 1);

    // Later bytes go behind those not yet taken.
    QVERIFY(pty.write("xyz"));
    QTRY_COMPARE(port.receivedBytes.size(), 6);
    QCOMPARE(port.receivedBytes, QByteArray("\x01\x00\x7fxyz", 6));
    QCOMPARE(readComm.count(), 2);

    port.closePort();
    QCOMPARE(port.receivedBytes.size(), 6);
}

void TestSerialPort::readCommWithNothingRead()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(pty.slavePath()));
    port.receivedBytes = "kept";
    QSignalSpy readComm(&port, &SerialPort::readComm);
    QVERIFY(QMetaObject::invokeMethod(&port, "readData"));
    QCOMPARE(readComm.count(), 1);
    QCOMPARE(port.receivedBytes, QByteArray("kept"));
}

void TestSerialPort::deviceLostOnceOnHangUp()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    applyCodes(port, LineCodes());
    QVERIFY(port.openPort(pty.slavePath()));
    QSignalSpy lost(&port, &SerialPort::deviceLost);

    pty.closeMaster();
    QTRY_COMPARE(lost.count(), 1);
    QTest::qWait(100);
    QCOMPARE(lost.count(), 1);
    // Closing is the owner's business.
    QVERIFY(port.isOpen());
}

void TestSerialPort::hangUpErrors_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("lost");
    QTest::newRow("read") << QSerialPort::ReadError << true;
    QTest::newRow("resource") << QSerialPort::ResourceError << true;
    QTest::newRow("permission (Windows, overlapped I/O)") << QSerialPort::PermissionError << true;
    QTest::newRow("timeout") << QSerialPort::TimeoutError << false;
}

void TestSerialPort::hangUpErrors()
{
    QFETCH(QSerialPort::SerialPortError, error);
    PseudoTerminal pty;
    MessageLog log;
    SerialPort port;
    QVERIFY(port.openPort(pty.slavePath()));
    QSignalSpy lost(&port, &SerialPort::deviceLost);
    emit port.findChild<QSerialPort *>()->errorOccurred(error);
    QTEST(lost.count() == 1, "lost");
}

// Not a permission problem, so no hint about access rights should follow.
void TestSerialPort::portHeldByAnotherSaysSo()
{
    PseudoTerminal device;
    SerialPort first;
    QVERIFY(first.openPort(device.slavePath()));
    SerialPort second;
    QVERIFY(!second.openPort(device.slavePath()));
    QVERIFY2(second.errorString().startsWith(QLatin1String("another program is using the port")),
             qPrintable(second.errorString()));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
