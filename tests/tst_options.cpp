#include "connectionbar.h"
#include "fakedevicesource.h"
#include "hexview.h"
#include "messagelog.h"
#include "serialport.h"
#include "simulateddevice.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString found = QStringLiteral("the Tarnwick Device was found. [");

std::unique_ptr<TarnTerm> shownWindow()
{
    auto window = std::make_unique<TarnTerm>();
    window->show();
    return window;
}

void tick(TarnTerm *window)
{
    QMetaObject::invokeMethod(window, "checkConnection");
}

WaitingPanel *panelOf(TarnTerm *window)
{
    return window->findChild<WaitingPanel *>(QStringLiteral("waitingPanel"));
}

} // namespace

// The bench options: a port named by the user, the receive log, and the
// panel that says what the terminal waits for.
class OptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void init() { settingsStore().clear(); }

    void namedPortIsFollowedAcrossReplug();
    void logKeepsEveryByteAcrossAReconnect();
    void failingLogIsReportedOnceAndTheConsoleGoesOn();
    void panelShowsWhileWaitingAndWhyTheOpenFailed();
    void barTextIsSelectedWithoutTakingTheKeys();
};

void OptionsTest::namedPortIsFollowedAcrossReplug()
{
    SimulatedDevice device;
    device.unplug();
    auto window = shownWindow();
    // No discovery: the port is named, and not there yet.
    window->setPortName(device.portName());
    tick(window.get());
    QVERIFY(!window->currentPort());
    QVERIFY(panelOf(window.get())->heading().contains(device.portName()));

    QVERIFY(device.plug());
    tick(window.get());
    QVERIFY(window->currentPort());
    QCOMPARE(window->statusBar()->currentMessage(), found + device.portName() + QStringLiteral("]"));

    device.unplug();
    QTRY_VERIFY(!window->currentPort());
    QVERIFY(device.plug());
    tick(window.get());
    QVERIFY(window->currentPort());
    QCOMPARE(window->currentPort()->portName(), device.portName());
}

void OptionsTest::logKeepsEveryByteAcrossAReconnect()
{
    QTemporaryDir dir;
    const QString logName = dir.filePath(QStringLiteral("session.log"));
    {
        QFile earlier(logName);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier session\n");
    }
    SimulatedDevice device;
    auto window = shownWindow();
    window->setPortName(device.portName());
    window->setLogFile(logName);
    tick(window.get());
    QVERIFY(window->currentPort());

    QByteArray sent("first\r\n\0\xff", 9);
    device.send(sent);
    QTRY_COMPARE(window->findChild<HexView *>()->data().size(), sent.size());

    device.unplug();
    QTRY_VERIFY(!window->currentPort());
    QVERIFY(device.plug());
    tick(window.get());
    QVERIFY(window->currentPort());
    const QByteArray more(5000, 'x');
    device.send(more);
    sent += more;
    QTRY_COMPARE(window->findChild<HexView *>()->data().size(), sent.size());

    // Closing the window leaves every byte on disk.
    window.reset();
    QFile log(logName);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("earlier session\n") + sent);
}

void OptionsTest::failingLogIsReportedOnceAndTheConsoleGoesOn()
{
    SimulatedDevice device;
    auto window = shownWindow();
    window->setPortName(device.portName());
    // Every write to /dev/full fails with "No space left on device".
    window->setLogFile(QStringLiteral("/dev/full"));
    tick(window.get());
    QVERIFY(window->currentPort());

    MessageLog messages;
    device.send("one\r\n");
    // In the bar, where the watch's next status message cannot hide it.
    auto *bar = window->findChild<ConnectionBar *>();
    QTRY_VERIFY(bar->noticeText().contains(QStringLiteral("/dev/full")));
    QVERIFY(bar->noticeText().contains(QStringLiteral("No space left on device")));
    device.send("two\r\n");
    QTRY_COMPARE(window->findChild<HexView *>()->data(), QByteArray("one\r\ntwo\r\n"));
    QCOMPARE(messages.count(QStringLiteral("log file error")), 1);
}

void OptionsTest::panelShowsWhileWaitingAndWhyTheOpenFailed()
{
    QTemporaryDir dir;
    FakeDeviceSource source;
    auto window = shownWindow();
    window->setDeviceSource(&source);
    WaitingPanel *panel = panelOf(window.get());
    QVERIFY(panel->isVisible());
    QVERIFY(panel->heading().contains(QStringLiteral("04D8")));

    // A listed device whose port will not open.
    source.plug(dir.filePath(QStringLiteral("gone")));
    tick(window.get());
    QVERIFY(!window->currentPort());
    QVERIFY(panel->isVisible());
    QVERIFY(!panel->errorText().isEmpty());

    SimulatedDevice device;
    source.clear();
    source.plug(device.portName());
    tick(window.get());
    QVERIFY(window->currentPort());
    QVERIFY(!panel->isVisible());

    device.unplug();
    QTRY_VERIFY(panel->isVisible());
}

void OptionsTest::barTextIsSelectedWithoutTakingTheKeys()
{
    SimulatedDevice device;
    auto window = shownWindow();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->setPortName(device.portName());
    tick(window.get());
    QVERIFY(window->currentPort());
    auto *bar = window->findChild<ConnectionBar *>();
    bar->addNotice(QStringLiteral("a notice to copy"));
    auto *console = window->findChild<ZIvidView *>();
    console->setFocus();
    QVERIFY(console->hasFocus());

    QLabel *notice = nullptr;
    for (QLabel *label : bar->findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("a notice to copy"))
            notice = label;
    }
    QVERIFY(notice && notice->isVisible());
    const QPoint from(2, notice->height() / 2);
    const QPoint to(notice->width() - 2, from.y());
    QTest::mousePress(notice, Qt::LeftButton, {}, from);
    // QTest::mouseMove() on a widget carries no button: a drag is sent as is.
    QMouseEvent drag(QEvent::MouseMove, to, notice->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(notice, &drag);
    QTest::mouseRelease(notice, Qt::LeftButton, {}, to);
    QVERIFY(notice->hasSelectedText());
    QVERIFY(console->hasFocus());
}

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
