#include "connectionbar.h"
#include "connectionwatch.h"
#include "messagelog.h"
#include "modemcontrol.h"
#include "modemindicators.h"
#include "pseudoterminal.h"
#include "serialport.h"
#include "simulateddevice.h"
#include "simulateddevicesource.h"
#include "simulatedmodemlines.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>

namespace {

// Modem lines that record each call with the time it came, and refuse the
// one named in `refuse`.
struct FakeLines : ModemLines
{
    QStringList calls;
    QList<qint64> times;
    QString refuse;
    QElapsedTimer clock;
    bool dtr = true;
    bool rts = false;

    FakeLines() { clock.start(); }
    bool record(const QString &call)
    {
        calls << call;
        times << clock.elapsed();
        return call != refuse;
    }
    bool setDataTerminalReady(bool on) override { return record(QStringLiteral("DTR %1").arg(on)) && (dtr = on, true); }
    bool setRequestToSend(bool on) override { return record(QStringLiteral("RTS %1").arg(on)) && (rts = on, true); }
    bool setBreakEnabled(bool on) override { return record(QStringLiteral("BREAK %1").arg(on)); }
    bool isDataTerminalReady() const override { return dtr; }
    bool isRequestToSend() const override { return rts; }
    bool readInputs(ModemInputs *inputs) override
    {
        inputs->cts = true;
        return true;
    }
    bool touchAtBaudRate(qint32 rate) override { return record(QStringLiteral("TOUCH %1").arg(rate)); }
    QString failureReason() const override { return QStringLiteral("Inappropriate ioctl for device"); }
};

enum class Request { DtrOff, RtsOn, Break, PulseDtr, Esp32, Touch };

void ask(ModemControl &control, Request request)
{
    switch (request) {
    case Request::DtrOff:   control.setDataTerminalReady(false); break;
    case Request::RtsOn:    control.setRequestToSend(true); break;
    case Request::Break:    control.sendBreak(); break;
    case Request::PulseDtr: control.pulseDataTerminalReady(); break;
    case Request::Esp32:    control.resetEsp32(); break;
    case Request::Touch:    control.touchForBootloader(); break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Request)

class ModemControlTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void sequences_data();
    void sequences();
    void refusedStepStopsTheSequence();
    void refusedOnPseudoTerminal_data();
    void refusedOnPseudoTerminal();
    void bootloaderTouchReleasesUntilGone();
    void menuReachesTheSimulatedDevice_data();
    void menuReachesTheSimulatedDevice();
};

void ModemControlTest::sequences_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<QStringList>("calls");
    // The least time from each call to the next.
    QTest::addColumn<QList<int>>("gaps");

    QTest::newRow("DTR off") << Request::DtrOff << QStringList {"DTR 0"} << QList<int> {};
    QTest::newRow("RTS on") << Request::RtsOn << QStringList {"RTS 1"} << QList<int> {};
    QTest::newRow("break") << Request::Break << QStringList {"BREAK 1", "BREAK 0"} << QList<int> {250};
    QTest::newRow("pulse DTR") << Request::PulseDtr << QStringList {"DTR 0", "DTR 1"} << QList<int> {100};
    QTest::newRow("ESP32 reset") << Request::Esp32 << QStringList {"DTR 0", "RTS 1", "RTS 0"}
                                 << QList<int> {0, 100};
    QTest::newRow("bootloader touch") << Request::Touch << QStringList {"TOUCH 1200"} << QList<int> {};
}

void ModemControlTest::sequences()
{
    QFETCH(Request, request);
    QFETCH(QStringList, calls);
    QFETCH(QList<int>, gaps);
    FakeLines lines;
    ModemControl control(&lines);
    QSignalSpy failed(&control, &ModemControl::failed);
    QSignalSpy touched(&control, &ModemControl::touched);
    ask(control, request);
    // The window never waits: whatever follows a delay comes later.
    QCOMPARE(control.isBusy(), calls.size() > 1 && gaps.last() > 0);
    // Dropped while a sequence runs.
    if (control.isBusy())
        ask(control, Request::DtrOff);
    QTRY_VERIFY(!control.isBusy());
    QCOMPARE(lines.calls, calls);
    for (int i = 0; i < gaps.size(); ++i)
        QVERIFY2(lines.times.at(i + 1) - lines.times.at(i) >= gaps.at(i), qPrintable(QString::number(i)));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(touched.count(), request == Request::Touch ? 1 : 0);
}

void ModemControlTest::refusedStepStopsTheSequence()
{
    FakeLines lines;
    lines.refuse = QStringLiteral("RTS 1");
    ModemControl control(&lines);
    QSignalSpy failed(&control, &ModemControl::failed);
    control.resetEsp32();
    QTRY_VERIFY(!control.isBusy());
    QCOMPARE(lines.calls, (QStringList {"DTR 0", "RTS 1"}));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), lines.failureReason());
}

// A pseudo-terminal has no modem lines: the open stays silent, a request is
// refused with the system's reason, once, and the device is not lost, even
// when the refusal comes as PermissionError, as Windows reports some.
void ModemControlTest::refusedOnPseudoTerminal_data()
{
    QTest::addColumn<bool>("asPermissionError");
    QTest::newRow("as the pty reports it") << false;
    QTest::newRow("as PermissionError") << true;
}

void ModemControlTest::refusedOnPseudoTerminal()
{
    QFETCH(bool, asPermissionError);
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    MessageLog log;
    SerialPort port;
    QSignalSpy lost(&port, &SerialPort::deviceLost);
    QVERIFY(port.openPort(pty.slavePath()));
    QVERIFY(port.isDataTerminalReady());
    auto *device = port.findChild<QSerialPort *>();
    connect(device, &QSerialPort::errorOccurred, this, [&](QSerialPort::SerialPortError error) {
        if (asPermissionError && error == QSerialPort::UnsupportedOperationError)
            emit device->errorOccurred(QSerialPort::PermissionError);
    });
    ModemControl control(&port);
    QSignalSpy failed(&control, &ModemControl::failed);
    QSignalSpy inputs(&control, &ModemControl::inputsRead);
    control.pollInputs();
    QCOMPARE(inputs.count(), 1);
    QCOMPARE(inputs.at(0).at(0).toBool(), false);

    control.setRequestToSend(true);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("Inappropriate ioctl for device"));
    QVERIFY(!port.isRequestToSend());
    QCOMPARE(lost.count(), 0);
    QVERIFY(port.isOpen());
    QVERIFY(port.writeBytes("still here"));
    QCOMPARE(pty.readAtLeast(10), QByteArray("still here"));
    // Outside a modem call the same error is a hang-up.
    emit device->errorOccurred(QSerialPort::PermissionError);
    QCOMPARE(lost.count(), 1);
}

// The board lingers under its name after the touch: the window shows it
// gone, the watch does not reopen it while it is listed, and opens it again
// once it has left and come back.
void ModemControlTest::bootloaderTouchReleasesUntilGone()
{
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    auto *touch = fixture.window()->findChild<QAction *>(QStringLiteral("actionBootloader_Touch"));
    QVERIFY(touch->isEnabled());
    touch->trigger();
    QTRY_VERIFY(!fixture.window()->currentPort());
    QVERIFY(!touch->isEnabled());
    fixture.tick();
    QVERIFY(!fixture.window()->currentPort());
    fixture.source.unplug(fixture.device.slavePath());
    fixture.tick();
    QCOMPARE(fixture.status(), QStringLiteral("the Tarnwick Device was not found."));
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->findChild<ConnectionBar *>()->noticeText().isEmpty());
}

void ModemControlTest::menuReachesTheSimulatedDevice_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("dtr");
    QTest::addColumn<bool>("rts");
    QTest::newRow("DTR off") << "actionDTR" << QStringList {"DTR 0"} << "" << false << false;
    QTest::newRow("RTS on") << "actionRTS" << QStringList {"RTS 1"} << "" << true << true;
    QTest::newRow("break") << "actionSend_Break" << QStringList {"BREAK 1", "BREAK 0"} << "break received"
                           << true << false;
    QTest::newRow("ESP32 reset") << "actionESP32_Reset" << QStringList {"DTR 0", "RTS 1", "RTS 0"}
                                 << "reset by EN released (RTS)" << false << false;
}

// The Device menu's items drive the simulated device's lines in-process;
// the check items follow, the device answers on the console, and the
// indicators show what it drives.
void ModemControlTest::menuReachesTheSimulatedDevice()
{
    QFETCH(QString, action);
    SimulatedDevice device;
    SimulatedDeviceSource source;
    source.add(&device);
    TarnTerm window;
    window.setDeviceSource(&source);
    window.setModemLinesProvider([&device](SerialPort *) { return device.modemLines(); });
    window.show();
    const auto item = [&window](const char *name) { return window.findChild<QAction *>(QString::fromLatin1(name)); };
    QVERIFY(!item("actionDTR")->isEnabled());
    window.connectionWatch()->checkConnection();
    QVERIFY(item("actionDTR")->isChecked() && !item("actionRTS")->isChecked());
    QCOMPARE(window.findChild<ModemIndicators *>()->litNames(), QStringLiteral("CTS DSR"));

    item(qPrintable(action))->trigger();
    QTRY_VERIFY(item("actionSend_Break")->isEnabled());
    QTEST(device.modemLines()->events, "events");
    QTEST(item("actionDTR")->isChecked(), "dtr");
    QTEST(item("actionRTS")->isChecked(), "rts");
    QFETCH(QString, answer);
    QTRY_VERIFY(window.findChild<ZIvidView *>()->toPlainText().contains(answer));
}

QTEST_MAIN(ModemControlTest)
#include "tst_modemcontrol.moc"
