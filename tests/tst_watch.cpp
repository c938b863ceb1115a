#include "hexview.h"
#include "messagelog.h"
#include "serialport.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QGroupBox>
#include <QTemporaryDir>
#include <QtTest>


namespace {

const QString found = QStringLiteral("the Tarnwick Device was found. [");
const QString notFound = QStringLiteral("the Tarnwick Device was not found.");

} // namespace

// The once-a-second watch: finding, opening, following and dropping the device.
class WatchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void nothingListedSaysNothing();
    void connectsOnFirstTick();
    void staysWhileListedAnywhere();
    void dropsWhenGoneThenTakesTheNextDevice();
    void failedOpenIsRetriedEveryTick();
    void timerDrivesTheWatch();
    void hangUpDropsThePortWithoutSpinning();
    void destroyedWindowLeavesNoPortOpen();
};

void WatchTest::nothingListedSaysNothing()
{
    TerminalFixture terminal;
    MessageLog log;
    const QString before = terminal.status();
    for (int i = 0; i < 3; ++i)
        terminal.tick();
    QCOMPARE(terminal.status(), before);
    QVERIFY(log.lines().isEmpty());
    QVERIFY(!terminal.console()->isEnabled());
}

void WatchTest::connectsOnFirstTick()
{
    TerminalFixture terminal;
    MessageLog log;
    QVERIFY(terminal.plugAndConnect());
    const QString name = terminal.device.slavePath();
    QCOMPARE(terminal.status(), found + name + QStringLiteral("]"));
    QCOMPARE(terminal.window()->currentPort()->portName(), name);
    QVERIFY(log.contains(QStringLiteral("p : ")));
    QVERIFY(log.contains(QStringLiteral("MainController serial port:[")));
    QVERIFY(log.contains(found));
    QVERIFY(terminal.console()->isEnabled() && terminal.console()->isVisible());
    QVERIFY(terminal.hexView()->isEnabled());
    QTRY_VERIFY(terminal.console()->hasFocus());
    auto *hexaGroup = terminal.window()->findChild<QGroupBox *>(QStringLiteral("hexaGroup"));
    QVERIFY(hexaGroup->isHidden()); // hex mode is off on a fresh store

    // The line from the device reaches the console.
    QVERIFY(terminal.device.write("hello"));
    QTRY_COMPARE(terminal.console()->toPlainText(), QStringLiteral("hello"));
}

void WatchTest::staysWhileListedAnywhere()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    SerialPort *port = terminal.window()->currentPort();
    const QString status = terminal.status();

    PseudoTerminal other;
    DeviceRecord first {other.slavePath(), {QStringLiteral("USB\\VID_239A&PID_802B")}, QString()};
    DeviceRecord open {terminal.device.slavePath(), {QStringLiteral("USB\\VID_04D8&PID_000A")}, QString()};
    terminal.source.setDevices(0, {});
    terminal.source.setDevices(3, {first, open});
    terminal.tick();
    terminal.tick();
    QCOMPARE(terminal.window()->currentPort(), port);
    QCOMPARE(terminal.status(), status);
}

void WatchTest::dropsWhenGoneThenTakesTheNextDevice()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    terminal.device.write("old session");
    QTRY_VERIFY(!terminal.console()->toPlainText().isEmpty());

    PseudoTerminal second;
    terminal.source.unplug(terminal.device.slavePath());
    terminal.source.plug(second.slavePath(), QStringLiteral("VID_04D8&PID_00DF"));
    MessageLog log;
    terminal.tick();
    QVERIFY(!terminal.window()->currentPort());
    QCOMPARE(terminal.status(), notFound);
    QVERIFY(log.lines().contains(QStringLiteral("the Tarnwick Device was not found.")));
    QVERIFY(terminal.console()->toPlainText().isEmpty());
    QVERIFY(!terminal.console()->isEnabled() && terminal.console()->isHidden());
    QVERIFY(!terminal.hexView()->isEnabled() && terminal.hexView()->isHidden());
    QVERIFY(terminal.hexView()->data().isEmpty());

    terminal.tick();
    QVERIFY(terminal.window()->currentPort());
    QCOMPARE(terminal.status(), found + second.slavePath() + QStringLiteral("]"));
}

void WatchTest::failedOpenIsRetriedEveryTick()
{
    TerminalFixture terminal;
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyGone"));
    terminal.source.plug(missing);
    MessageLog log;
    for (int tickCount = 1; tickCount <= 3; ++tickCount) {
        terminal.tick();
        QCOMPARE(log.count(QStringLiteral("p : ")), tickCount);
        QCOMPARE(log.lines().count(QStringLiteral("exit")), tickCount);
        QCOMPARE(terminal.status(), notFound);
        QVERIFY(!terminal.window()->currentPort());
        QVERIFY(terminal.console()->isHidden());
    }
    // The system's reason is in the log for whoever runs it from a shell.
    QVERIFY(log.contains(QStringLiteral("open failed:")));
}

void WatchTest::timerDrivesTheWatch()
{
    TerminalFixture terminal;
    terminal.source.plug(terminal.device.slavePath());
    QTRY_VERIFY_WITH_TIMEOUT(terminal.window()->currentPort() != nullptr, 3000);
}

void WatchTest::hangUpDropsThePortWithoutSpinning()
{
    // The port is listed under a name that a test can point at a new device,
    // as a device that comes back under the same name.
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("ttyTarnwick"));
    auto device = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::link(device->slavePath(), name));

    TerminalFixture terminal;
    terminal.source.plug(name);
    terminal.tick();
    QVERIFY(terminal.window()->currentPort());

    const double before = processCpuSeconds();
    device.reset(); // unplugged: the open port sees a hang-up
    QTRY_VERIFY(!terminal.window()->currentPort());
    QCOMPARE(terminal.status(), notFound);
    QVERIFY(terminal.console()->isHidden());
    QTest::qWait(1000);
    QVERIFY2(processCpuSeconds() - before < 0.5, "the process kept busy after the hang-up");

    device = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::remove(name));
    QVERIFY(QFile::link(device->slavePath(), name));
    terminal.tick();
    QVERIFY(terminal.window()->currentPort());
    QCOMPARE(terminal.status(), found + name + QStringLiteral("]"));
}

void WatchTest::destroyedWindowLeavesNoPortOpen()
{
    FakeDeviceSource source;
    PseudoTerminal device;
    source.plug(device.slavePath());
    auto *window = new TarnTerm;
    window->setDeviceSource(&source);
    QMetaObject::invokeMethod(window, "checkConnection");
    QPointer<SerialPort> port = window->currentPort();
    QVERIFY(port);
    delete window; // not closed first
    QVERIFY(port.isNull());
}

QTEST_MAIN(WatchTest)
#include "tst_watch.moc"
