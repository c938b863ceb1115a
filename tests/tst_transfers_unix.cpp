#include "connectionbar.h"
#include "filesender.h"
#include "ptyrelay.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The transfer protocols against Debian's lrzsz on the device side: rx for
// XMODEM (it takes 128- and 1K-byte blocks alike) and rb for YMODEM, joined
// to the terminal's line by a relay that can spoil a byte.
class TransfersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void arrivesExactly_data();
    void arrivesExactly();
    void spoiledBlockIsSentAgain();
    void stopsMidway_data();
    void stopsMidway();

private:
    struct Session
    {
        TerminalFixture fixture;
        PtyPeer receiver;
        std::unique_ptr<PtyRelay> relay;
    };
    // Connects the terminal to the receiver for `mode`, writing into a fresh folder.
    bool join(Session &session, const QString &mode);
    QString writeFile(const QByteArray &bytes);
    // Sends `bytes` as image.bin and waits for the outcome.
    bool sendAndWait(Session &session, const QByteArray &bytes, const QString &mode);
    QByteArray received(const QString &mode) const;
    static QString notices(const Session &session)
    {
        return session.fixture.window()->findChild<ConnectionBar *>()->noticeText();
    }

    QTemporaryDir m_sourceDir;
    std::unique_ptr<QTemporaryDir> m_receiveDir;
};

void TransfersTest::initTestCase()
{
    initTestEnvironment();
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("rb")).isEmpty(), "lrzsz is not installed");
}

QString TransfersTest::writeFile(const QByteArray &bytes)
{
    const QString name = m_sourceDir.filePath(QStringLiteral("image.bin"));
    return ::writeFile(name, bytes) ? name : QString();
}

// In an event loop of its own: QTRY_ polls with sleeps, which would add
// 10 ms to every block's round trip.
bool TransfersTest::sendAndWait(Session &session, const QByteArray &bytes, const QString &mode)
{
    TarnTerm *window = session.fixture.window();
    if (!window->sendFileByProtocol(writeFile(bytes), mode))
        return false;
    QSignalSpy finished(window->findChild<FileSender *>(), &FileSender::finished);
    return finished.wait(300000);
}

bool TransfersTest::join(Session &session, const QString &mode)
{
    m_receiveDir = std::make_unique<QTemporaryDir>();
    const bool ymodem = mode == QLatin1String("ymodem");
    const QStringList arguments = ymodem ? QStringList() : QStringList {QStringLiteral("-c"), QStringLiteral("got.bin")};
    if (!session.fixture.plugAndConnect()
        || !session.receiver.start(ymodem ? QStringLiteral("rb") : QStringLiteral("rx"), arguments, m_receiveDir->path()))
        return false;
    session.relay = std::make_unique<PtyRelay>(session.fixture.device.masterFd(), session.receiver);
    return true;
}

QByteArray TransfersTest::received(const QString &mode) const
{
    QFile file(m_receiveDir->filePath(mode == QLatin1String("ymodem") ? "image.bin" : "got.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

void TransfersTest::arrivesExactly_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("size");
    for (const char *mode : {"xmodem", "xmodem1k", "ymodem"}) {
        // 128-byte blocks make 1 MiB 8192 round trips, minutes on a loaded
        // machine; 64 KiB still takes the block number round twice.
        const int large = qstrcmp(mode, "xmodem") == 0 ? 64 << 10 : 1 << 20;
        for (int size : {0, 1, 127, 128, 1023, 1024, 1025, large})
            QTest::addRow("%s, %d bytes", mode, size) << QString::fromLatin1(mode) << size;
    }
}

// YMODEM's receiver trims to the size in the header; XMODEM's keeps the
// last block's padding, which must be nothing but 0x1A.
void TransfersTest::arrivesExactly()
{
    QFETCH(QString, mode);
    QFETCH(int, size);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    Session session;
    QVERIFY(join(session, mode));
    QVERIFY(sendAndWait(session, bytes, mode));
    QVERIFY2(notices(session).contains(QStringLiteral("image.bin: sent %1 bytes in ").arg(size)),
             qPrintable(notices(session)));
    QVERIFY(session.receiver.waitForExit(10000));
    QCOMPARE(session.receiver.process().exitCode(), 0);
    const QByteArray got = received(mode);
    if (mode == QLatin1String("ymodem")) {
        QCOMPARE(got, bytes);
    } else {
        QCOMPARE(got.left(size), bytes);
        const QByteArray padding = got.mid(size);
        QVERIFY(padding.size() < 1024);
        QCOMPARE(padding, QByteArray(padding.size(), '\x1A'));
    }
}

void TransfersTest::spoiledBlockIsSentAgain()
{
    QByteArray bytes(8192, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    Session session;
    QVERIFY(join(session, QStringLiteral("ymodem")));
    bool spoiled = false;
    session.relay->setSpoiler([&spoiled](QByteArray &piece, qint64 offset) {
        // A byte inside the first data block, after the 133-byte header.
        const qint64 target = 400;
        if (!spoiled && offset <= target && target < offset + piece.size()) {
            piece[int(target - offset)] = char(piece.at(int(target - offset)) ^ 0x55);
            spoiled = true;
        }
    });
    QVERIFY(sendAndWait(session, bytes, QStringLiteral("ymodem")));
    QVERIFY2(notices(session).contains(QStringLiteral("sent 8192 bytes")), qPrintable(notices(session)));
    QVERIFY(spoiled);
    QVERIFY(session.receiver.waitForExit(10000));
    QCOMPARE(received(QStringLiteral("ymodem")), bytes);
}

void TransfersTest::stopsMidway_data()
{
    QTest::addColumn<bool>("byReceiver");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("the receiver cancels") << true << QStringLiteral("image.bin: the receiver cancelled after ");
    QTest::newRow("Cancel in the progress") << false << QStringLiteral("image.bin: cancelled after ");
}

// Either side may stop a transfer; the other hears of it, and the outcome
// says how far it got.
void TransfersTest::stopsMidway()
{
    QFETCH(bool, byReceiver);
    QFETCH(QString, outcome);
    Session session;
    QVERIFY(join(session, QStringLiteral("ymodem")));
    bool stopped = false;
    session.relay->setSpoiler([&](QByteArray &, qint64 offset) {
        if (stopped || offset < 64 * 1024)
            return;
        stopped = true;
        if (byReceiver) {
            ::kill(pid_t(session.receiver.process().processId()), SIGINT);
        } else {
            // At once, so that the cancel follows hard on a block the
            // receiver is still checking.
            session.fixture.window()->findChild<QProgressDialog *>()->findChild<QPushButton *>()->click();
        }
    });
    QVERIFY(sendAndWait(session, QByteArray(1 << 20, 'e'), QStringLiteral("ymodem")));
    QVERIFY2(notices(session).contains(outcome), qPrintable(notices(session)));
    QVERIFY(notices(session).contains(QStringLiteral(" of 1048576 bytes")));
    // The receiver gives up too rather than waiting on.
    QVERIFY(session.receiver.waitForExit(15000));
    QVERIFY(session.receiver.process().exitStatus() != QProcess::NormalExit
            || session.receiver.process().exitCode() != 0);
}

QTEST_MAIN(TransfersTest)
#include "tst_transfers_unix.moc"
