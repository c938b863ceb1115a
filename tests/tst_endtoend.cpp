#include "consolemodel.h"
#include "filesender.h"
#include "functiondlg.h"
#include "hexview.h"
#include "serialport.h"
#include "simulateddevice.h"
#include "simulateddevicesource.h"
#include "simulatedloader.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

#include <memory>

namespace {

const QString notFound = QStringLiteral("the Tarnwick Device was not found.");

void discardDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

int openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
}

// The terminal as a user runs it: the real window, a simulated device.
struct Bench
{
    Bench()
    {
        device.setAnswerAt(true);
        source.add(&device);
        window = std::make_unique<TarnTerm>();
        window->setDeviceSource(&source);
        window->show();
    }
    void tick() { QMetaObject::invokeMethod(window.get(), "checkConnection"); }
    ZIvidView *console() const { return window->findChild<ZIvidView *>(); }
    HexView *hexView() const { return window->findChild<HexView *>(); }
    QString status() const { return window->statusBar()->currentMessage(); }
    bool connected() const { return window->currentPort() != nullptr; }

    SimulatedDevice device;
    SimulatedDeviceSource source;
    std::unique_ptr<TarnTerm> window;
};

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initTestEnvironment();
        qInstallMessageHandler(discardDebug);
    }
    void init() { settingsStore().clear(); }

    void plugTypeAndPaste();
    void floodArrivesWhole();
    void unplugDuringPaste();
    void unplugDuringFlood();
    void unplugWithDialogOpen();
    void busyPortIsRetriedWithoutLeaking();
    void settingsSurviveARestart();
    void fileToTheDemoLoader();
};

void EndToEndTest::plugTypeAndPaste()
{
    {
        QSettings settings = settingsStore();
        settings.setValue(QStringLiteral("F2"), QStringLiteral("AT"));
        settings.setValue(QStringLiteral("C2"), true);
        settings.setValue(QStringLiteral("delay"), QStringLiteral("5"));
    }
    Bench bench;
    bench.tick();
    QVERIFY(bench.connected());
    QVERIFY(bench.status().startsWith(QStringLiteral("the Tarnwick Device was found. [")));
    QTRY_VERIFY(bench.console()->hasFocus());

    QTest::keyClicks(bench.console(), QStringLiteral("hi"));
    QTest::keyClick(bench.console(), Qt::Key_Return);
    QTRY_COMPARE(bench.device.received, QByteArray("hi\r\n"));

    bench.device.received.clear();
    QTest::keyClick(bench.console(), Qt::Key_F2);
    QTRY_COMPARE(bench.device.received, QByteArray("AT\r"));
    QTRY_VERIFY(bench.console()->toPlainText().contains(QStringLiteral("OK")));

    bench.device.received.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("line one\nline two"));
    bench.console()->paste();
    QTRY_COMPARE(bench.device.received, QByteArray("line one\nline two"));
}

void EndToEndTest::floodArrivesWhole()
{
    Bench bench;
    bench.window->findChild<QAction *>(QStringLiteral("actionHexa_Mode"))->setChecked(true);
    bench.tick();
    QVERIFY(bench.connected());

    // Where one batch ends and the next begins, as the console saw them.
    QVector<int> batchEnds;
    connect(bench.window->currentPort(), &SerialPort::readComm, this,
            [&] { batchEnds.append(int(bench.hexView()->size())); });

    QByteArray flood(20 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32 *>(flood.data()), flood.size() / 4);
    bench.device.send(flood);
    QTRY_VERIFY_WITH_TIMEOUT(bench.hexView()->size() >= flood.size(), 240000);
    QCOMPARE(bench.hexView()->data().size(), flood.size());
    QVERIFY(bench.hexView()->data() == flood);

    ConsoleModel model;
    int start = 0;
    for (int end : qAsConst(batchEnds)) {
        model.addBatch(flood.mid(start, end - start));
        start = end;
    }
    QCOMPARE(start, flood.size());
    // The console catches up with the hex view a moment later.
    QTRY_VERIFY_WITH_TIMEOUT(bench.console()->toPlainText() == model.text(), 60000);
}

void EndToEndTest::unplugDuringPaste()
{
    settingsStore().setValue(QStringLiteral("delay"), QStringLiteral("2"));
    Bench bench;
    bench.tick();
    QVERIFY(bench.connected());
    connect(&bench.device, &SimulatedDevice::bytesReceived, this, [&] {
        if (bench.device.received.size() >= 10 && bench.device.isPlugged()) {
            bench.device.unplug();
            bench.tick();
        }
    });
    QGuiApplication::clipboard()->setText(QString(3000, QLatin1Char('p')));
    bench.console()->paste();
    QTRY_VERIFY(!bench.connected());
    QVERIFY(bench.console()->isHidden());
    QVERIFY(bench.device.received.size() < 3000);

    QVERIFY(bench.device.plug());
    bench.tick();
    QVERIFY(bench.connected());
    bench.device.send("back\r\n");
    QTRY_COMPARE(bench.console()->toPlainText(), QStringLiteral("back\n"));
}

void EndToEndTest::unplugDuringFlood()
{
    Bench bench;
    bench.tick();
    QVERIFY(bench.connected());
    bench.device.sendFlood(4 * 1024 * 1024, QByteArray(79, '=') + "\r\n");
    QTRY_VERIFY(bench.hexView()->size() > 64 * 1024);
    bench.device.unplug();
    QTRY_VERIFY(!bench.connected());
    QCOMPARE(bench.status(), notFound);
    // Both views keep what came before the unplug, the console up to its
    // mark: it catches up with the hex view, and then the process has
    // nothing left to do.
    ConsoleModel model;
    model.addBatch(bench.hexView()->data());
    model.addMark();
    QTRY_VERIFY_WITH_TIMEOUT(bench.console()->toPlainText() == model.text(), 60000);
    const double before = processCpuSeconds();
    QTest::qWait(500);
    QVERIFY(processCpuSeconds() - before < 0.25);

    QVERIFY(bench.device.plug());
    bench.tick();
    QVERIFY(bench.connected());
    bench.device.send("again");
    QTRY_VERIFY(bench.hexView()->data().endsWith("again"));
}

void EndToEndTest::unplugWithDialogOpen()
{
    Bench bench;
    bench.tick();
    QVERIFY(bench.connected());
    QMetaObject::invokeMethod(bench.window.get(), "functionSetting");
    auto *dialog = bench.window->findChild<FunctionDlg *>();
    QVERIFY(dialog && dialog->isVisible());
    bench.device.unplug();
    QTRY_VERIFY(!bench.connected());
    QVERIFY(dialog->isVisible());
    QVERIFY(bench.device.plug());
    bench.tick();
    QVERIFY(bench.connected());
}

void EndToEndTest::busyPortIsRetriedWithoutLeaking()
{
    Bench bench;
    // Another program holds the port.
    QSerialPort other(bench.device.portName());
    QVERIFY(other.open(QIODevice::ReadWrite));

    bench.tick();
    QVERIFY(!bench.connected());
    QCOMPARE(bench.status(), notFound);
    const int descriptors = openDescriptors();
    for (int i = 0; i < 100; ++i)
        bench.tick();
    QVERIFY(!bench.connected());
    QCOMPARE(openDescriptors(), descriptors);

    other.close();
    bench.tick();
    QVERIFY(bench.connected());
}

void EndToEndTest::settingsSurviveARestart()
{
    {
        Bench bench;
        bench.window->move(60, 70);
        bench.window->resize(720, 540);
        bench.window->findChild<QAction *>(QStringLiteral("actionHexa_Mode"))->setChecked(true);
        bench.console()->setBackColor(QColor(10, 20, 30));
        QMetaObject::invokeMethod(bench.window.get(), "functionSetting");
        auto *dialog = bench.window->findChild<FunctionDlg *>();
        dialog->lineEdits.at(4)->setText(QStringLiteral(" reset "));
        dialog->crBoxes.at(4)->setChecked(true);
        dialog->delayBox->setValue(12);
        QMetaObject::invokeMethod(bench.window.get(), "applyFunction");
        bench.window->close();
    }
    Bench again;
    QCOMPARE(again.window->size(), QSize(720, 540));
    QCOMPARE(again.window->findChild<QAction *>(QStringLiteral("actionHexa_Mode"))->isChecked(), true);
    QCOMPARE(again.console()->backColor(), QColor(10, 20, 30));
    QCOMPARE(again.window->functionKeyList().at(4).text, QStringLiteral(" reset "));
    QVERIFY(again.window->crFlagList().at(4).flag);
    QCOMPARE(again.window->writeDelay(), 12);
    auto *dialog = again.window->findChild<FunctionDlg *>();
    QVERIFY(dialog && dialog->isVisible());
}

// The demo's bootloader takes a file by YMODEM from Send File, and what it
// prints before and after the transfer shows in the console.
void EndToEndTest::fileToTheDemoLoader()
{
    Bench bench;
    SimulatedLoader loader(&bench.device);
    bench.tick();
    QVERIFY(bench.connected());
    QTest::keyClicks(bench.console(), QStringLiteral("loady"));
    QTest::keyClick(bench.console(), Qt::Key_Return);
    QTRY_VERIFY(bench.console()->toPlainText().contains(QStringLiteral("## Ready for binary")));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fw.bin"));
    QByteArray image(5000, Qt::Uninitialized);
    for (char &byte : image)
        byte = char(QRandomGenerator::global()->bounded(256));
    QVERIFY(writeFile(path, image));
    QVERIFY(bench.window->sendFileByProtocol(path, QStringLiteral("ymodem")));
    QSignalSpy finished(bench.window->findChild<FileSender *>(), &FileSender::finished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).toString().left(22), QStringLiteral("fw.bin: sent 5000 byte"));
    QCOMPARE(loader.lastFile(), image);
    QTRY_VERIFY(bench.console()->toPlainText().contains(QStringLiteral("= 5000 Bytes (fw.bin)")));
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
