#include "modemindicators.h"
#include "simulateddevice.h"
#include "simulateddevicesource.h"
#include "simulatedmodemlines.h"
#include "connectionwatch.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QtTest>

// The Device menu driving the simulated device's lines in-process, with the
// indicators and the device's own answers on the console.
class DeviceMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void menuDrivesTheLines_data();
    void menuDrivesTheLines();
    void outputsStartFreshOnEachOpen();

private:
    struct Bench
    {
        SimulatedDevice device;
        SimulatedDeviceSource source;
        TarnTerm window;
        Bench()
        {
            source.add(&device);
            window.setDeviceSource(&source);
            window.setModemLinesProvider([this](SerialPort *) { return device.modemLines(); });
        }
        QAction *action(const char *name) { return window.findChild<QAction *>(QString::fromLatin1(name)); }
        bool connect()
        {
            window.connectionWatch()->checkConnection();
            return window.currentPort() != nullptr;
        }
    };
};

void DeviceMenuTest::menuDrivesTheLines_data()
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
    QTest::newRow("pulse DTR") << "actionPulse_DTR" << QStringList {"DTR 0", "DTR 1"} << "reset by DTR pulse"
                               << true << false;
    QTest::newRow("ESP32 reset") << "actionESP32_Reset" << QStringList {"DTR 0", "RTS 1", "RTS 0"}
                                 << "reset by EN released (RTS)" << false << false;
}

void DeviceMenuTest::menuDrivesTheLines()
{
    QFETCH(QString, action);
    QFETCH(QStringList, events);
    QFETCH(QString, answer);
    Bench bench;
    bench.window.show();
    QVERIFY(!bench.action("actionDTR")->isEnabled());
    QVERIFY(bench.connect());
    QVERIFY(bench.action("actionDTR")->isChecked());
    QVERIFY(!bench.action("actionRTS")->isChecked());
    auto *indicators = bench.window.findChild<ModemIndicators *>();
    QVERIFY(indicators->isVisible());
    QCOMPARE(indicators->litNames(), QStringLiteral("CTS DSR"));

    bench.action(qPrintable(action))->trigger();
    QTRY_COMPARE(bench.device.modemLines()->events, events);
    QTRY_VERIFY(bench.action("actionSend_Break")->isEnabled());
    QTEST(bench.action("actionDTR")->isChecked(), "dtr");
    QTEST(bench.action("actionRTS")->isChecked(), "rts");
    if (!answer.isEmpty())
        QTRY_VERIFY(bench.window.findChild<ZIvidView *>()->toPlainText().contains(answer));
}

// A line switched off stays off while connected, and the next open starts
// with DTR raised again.
void DeviceMenuTest::outputsStartFreshOnEachOpen()
{
    Bench bench;
    QVERIFY(bench.connect());
    bench.action("actionDTR")->trigger();
    QVERIFY(!bench.action("actionDTR")->isChecked());
    bench.device.unplug();
    bench.window.connectionWatch()->checkConnection();
    QVERIFY(!bench.action("actionDTR")->isEnabled());
    bench.device.plug();
    QVERIFY(bench.connect());
    QVERIFY(bench.action("actionDTR")->isChecked());
}

QTEST_MAIN(DeviceMenuTest)
#include "tst_devicemenu.moc"
