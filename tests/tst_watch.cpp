#include "connectionbar.h"
#include "connectionwatch.h"
#include "hexview.h"
#include "messagelog.h"
#include "serialport.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QGroupBox>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>


namespace {

const QString found = QStringLiteral("the Tarnwick Device was found. [");
const QString notFound = QStringLiteral("the Tarnwick Device was not found.");

// The watch on its own, fed by a fake source, with its signals recorded.
struct Watch
{
    Watch() { watch.setDeviceSource(&source); }
    QString lastStatus() const { return status.isEmpty() ? QString() : status.last().at(0).toString(); }

    FakeDeviceSource source;
    ConnectionWatch watch;
    QSignalSpy status {&watch, &ConnectionWatch::statusMessage};
    QSignalSpy connected {&watch, &ConnectionWatch::connected};
    QSignalSpy disconnected {&watch, &ConnectionWatch::disconnected};
};

} // namespace

// The once-a-second watch: finding, opening, following and dropping the device.
class WatchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void nothingListedSaysNothing();
    void connectsOnFirstTick();
    void staysWhileListedAnywhere();
    void dropsWhenGoneThenTakesTheNextDevice();
    void failedOpenIsRetriedEveryTick();
    void timerDrivesTheWatch();
    void hangUpDropsThePortWithoutSpinning();
    void destroyedWindowLeavesNoPortOpen();
};

// Several cases read the watch's debug lines.
void WatchTest::initTestCase()
{
    initTestEnvironment();
    QLoggingCategory::setFilterRules(QStringLiteral("tarnterm.serial.debug=true"));
}

void WatchTest::nothingListedSaysNothing()
{
    Watch w;
    MessageLog log;
    for (int i = 0; i < 3; ++i)
        w.watch.checkConnection();
    QCOMPARE(w.status.count() + w.connected.count() + w.disconnected.count(), 0);
    QVERIFY(log.lines().isEmpty());
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
    Watch w;
    PseudoTerminal device;
    w.source.plug(device.slavePath());
    w.watch.checkConnection();
    SerialPort *port = w.watch.port();
    QVERIFY(port);

    PseudoTerminal other;
    DeviceRecord first {other.slavePath(), {QStringLiteral("USB\\VID_239A&PID_802B")}, QString()};
    DeviceRecord open {device.slavePath(), {QStringLiteral("USB\\VID_04D8&PID_000A")}, QString()};
    w.source.setDevices(0, {});
    w.source.setDevices(3, {first, open});
    w.watch.checkConnection();
    w.watch.checkConnection();
    QCOMPARE(w.watch.port(), port);
    QCOMPARE(w.status.count(), 1);
    QCOMPARE(w.disconnected.count(), 0);
}

void WatchTest::dropsWhenGoneThenTakesTheNextDevice()
{
    TerminalFixture terminal;
    QVERIFY(terminal.plugAndConnect());
    terminal.device.write("old session");
    QTRY_COMPARE(terminal.hexView()->data(), QByteArray("old session"));
    QTRY_VERIFY(!terminal.console()->toPlainText().isEmpty());

    PseudoTerminal second;
    terminal.source.unplug(terminal.device.slavePath());
    terminal.source.plug(second.slavePath(), QStringLiteral("VID_04D8&PID_00DF"));
    MessageLog log;
    terminal.tick();
    QVERIFY(!terminal.window()->currentPort());
    QCOMPARE(terminal.status(), notFound);
    QVERIFY(log.lines().contains(QStringLiteral("the Tarnwick Device was not found.")));
    // The device's last words stay readable, with what the terminal waits
    // for in the bar above them.
    QVERIFY(terminal.console()->isEnabled() && terminal.console()->isVisible());
    QVERIFY(terminal.hexView()->isEnabled() && !terminal.hexView()->isHidden());
    QVERIFY(!terminal.window()->findChild<WaitingPanel *>()->isVisible());
    QVERIFY(terminal.window()->findChild<ConnectionBar *>()->waitingText().contains(QStringLiteral("04D8")));

    terminal.tick();
    QVERIFY(terminal.window()->currentPort());
    QCOMPARE(terminal.status(), found + second.slavePath() + QStringLiteral("]"));
    // What the first device printed is still there to read and capture,
    // its unfinished line ended at the mark.
    QCOMPARE(terminal.console()->toPlainText(), QStringLiteral("old session\n"));
    QCOMPARE(terminal.hexView()->data(), QByteArray("old session"));
    // The new session's backspaces stop where the old one ended.
    second.write("\b\b\bnew");
    QTRY_COMPARE(terminal.console()->toPlainText(), QStringLiteral("old session\nnew"));
}

void WatchTest::failedOpenIsRetriedEveryTick()
{
    Watch w;
    QTemporaryDir dir;
    w.source.plug(dir.filePath(QStringLiteral("ttyGone")));
    MessageLog log;
    for (int tickCount = 1; tickCount <= 3; ++tickCount) {
        w.watch.checkConnection();
        QCOMPARE(log.count(QStringLiteral("p : ")), tickCount);
        QCOMPARE(log.lines().count(QStringLiteral("exit")), tickCount);
        QCOMPARE(w.status.count(), tickCount);
        QCOMPARE(w.lastStatus(), notFound);
        QCOMPARE(w.disconnected.count(), tickCount);
        QVERIFY(!w.watch.port());
    }
    QCOMPARE(w.connected.count(), 0);
    // The system's reason is in the debug lines for whoever runs it from a shell.
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

    Watch w;
    w.source.plug(name);
    w.watch.checkConnection();
    QVERIFY(w.watch.port());

    const double before = processCpuSeconds();
    device.reset(); // unplugged: the open port sees a hang-up
    QTRY_COMPARE(w.disconnected.count(), 1);
    QVERIFY(!w.watch.port());
    QCOMPARE(w.lastStatus(), notFound);
    QTest::qWait(1000);
    QVERIFY2(processCpuSeconds() - before < 0.5, "the process kept busy after the hang-up");

    device = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::remove(name));
    QVERIFY(QFile::link(device->slavePath(), name));
    w.watch.checkConnection();
    QVERIFY(w.watch.port());
    QCOMPARE(w.lastStatus(), found + name + QStringLiteral("]"));
}

void WatchTest::destroyedWindowLeavesNoPortOpen()
{
    FakeDeviceSource source;
    PseudoTerminal device;
    source.plug(device.slavePath());
    auto *window = new TarnTerm;
    window->setDeviceSource(&source);
    window->connectionWatch()->checkConnection();
    QPointer<SerialPort> port = window->currentPort();
    QVERIFY(port);
    delete window; // not closed first
    QVERIFY(port.isNull());
}

QTEST_MAIN(WatchTest)
#include "tst_watch.moc"
