#include "connectionbar.h"
#include "filesender.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class SendFileTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void arrivesExactly_data();
    void arrivesExactly();
    void lineDelayPausesAfterEachLine();
    void cancelRefusesKeysMeanwhile();
    void cancelToldAgainWhenAsked();
    void unplugStopsIt();
    void windowGoesMidSend();

private:
    QString writeFile(const QByteArray &bytes);
    static QString notices(const TerminalFixture &fixture)
    {
        return fixture.window()->findChild<ConnectionBar *>()->noticeText();
    }

    QTemporaryDir m_dir;
};

QString SendFileTest::writeFile(const QByteArray &bytes)
{
    const QString name = m_dir.filePath(QStringLiteral("out.bin"));
    return ::writeFile(name, bytes) ? name : QString();
}

void SendFileTest::arrivesExactly_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one byte") << 1;
    QTest::newRow("100 KiB") << 100 * 1024;
}

void SendFileTest::arrivesExactly()
{
    QFETCH(int, size);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->sendFile(writeFile(bytes)));
    QCOMPARE(fixture.device.readAtLeast(size), bytes);
    QTRY_VERIFY(notices(fixture).contains(QStringLiteral("out.bin: sent %1 bytes in").arg(size)));
}

// Each line waits for the one before it plus the delay: the whole send takes
// at least one delay per line, however fast the machine.
void SendFileTest::lineDelayPausesAfterEachLine()
{
    const QByteArray lines("one\ntwo\nthree\n");
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(fixture.window()->sendFile(writeFile(lines), 100));
    QCOMPARE(fixture.device.readAtLeast(lines.size()), lines);
    QTRY_VERIFY(notices(fixture).contains(QStringLiteral("sent 14 bytes")));
    QVERIFY(clock.elapsed() >= 300);
}

// A device that reads nothing holds the send; keys, pastes and lines are
// refused meanwhile and none of them is sent later.
void SendFileTest::cancelRefusesKeysMeanwhile()
{
    const QByteArray bytes(1024 * 1024, 'A');
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->sendFile(writeFile(bytes)));
    QVERIFY(!fixture.window()->sendFile(writeFile(bytes)));
    auto *progress = fixture.window()->findChild<QProgressDialog *>();
    QVERIFY(progress);
    QTest::qWait(50);
    emit fixture.console()->keyInput('z', QStringLiteral("z"));
    emit fixture.console()->keyInput(Qt::Key_F1, QString());
    QVERIFY(notices(fixture).contains(QStringLiteral("a file transfer is running")));

    progress->findChild<QPushButton *>()->click();
    QTRY_VERIFY(notices(fixture).contains(QStringLiteral("out.bin: cancelled after ")));
    const QByteArray arrived = fixture.device.readAtLeast(bytes.size(), 500);
    QVERIFY(arrived.size() < bytes.size());
    QCOMPARE(arrived, QByteArray(arrived.size(), 'A'));
    emit fixture.console()->keyInput('z', QStringLiteral("z"));
    QCOMPARE(fixture.device.readAtLeast(1), QByteArray("z"));
}

// A receiver that purged its line after a slow byte lost the cancel with
// it; when it asks for the block again it is told again.
void SendFileTest::cancelToldAgainWhenAsked()
{
    const QByteArray cancel(2, '\x18');
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->sendFileByProtocol(writeFile(QByteArray(4096, 'A')), QStringLiteral("ymodem")));
    QVERIFY(fixture.device.write("C"));
    QCOMPARE(fixture.device.readAtLeast(133).size(), 133);
    fixture.window()->findChild<FileSender *>()->cancel();
    QCOMPARE(fixture.device.readAtLeast(2), cancel);
    QVERIFY(fixture.device.write("\x15"));
    QCOMPARE(fixture.device.readAtLeast(2), cancel);
    // What else the device sends is its own again.
    QVERIFY(fixture.device.write("C> "));
    QTRY_VERIFY(fixture.console()->toPlainText().endsWith(QStringLiteral("C> ")));
    QCOMPARE(fixture.device.readAvailable(), QByteArray());
}

void SendFileTest::unplugStopsIt()
{
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->sendFile(writeFile(QByteArray(1024 * 1024, 'A'))));
    QTest::qWait(50);
    fixture.source.clear();
    fixture.tick();
    QTRY_VERIFY(notices(fixture).contains(QStringLiteral("out.bin: the device went away after ")));
    QVERIFY(notices(fixture).contains(QStringLiteral(" of 1048576 bytes")));
    // The next send starts afresh: the stopped one no longer holds the window.
    QVERIFY(!fixture.window()->sendFile(writeFile("x")));
    QVERIFY(notices(fixture).contains(QStringLiteral("out.bin: no device is connected")));
}

// Under the sanitizer: nothing the send reports reaches a widget already gone.
void SendFileTest::windowGoesMidSend()
{
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    QVERIFY(fixture.window()->sendFile(writeFile(QByteArray(1024 * 1024, 'A'))));
    QTest::qWait(50);
}

QTEST_MAIN(SendFileTest)
#include "tst_sendfile.moc"
