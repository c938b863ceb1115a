#include "diskfull.h"
#include "logoverflow.h"
#include "receivelog.h"

#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestReceiveLog : public QObject
{
    Q_OBJECT

private slots:
    void keepsEveryByteAcrossReopen();
    void stalledDiskNeverHoldsTheWindow();
    void stalledDiskFallingBehindIsReported();
    void failureIsReportedOnce_data();
    void failureIsReportedOnce();
};

namespace {

// A disk that takes a batch only when the test opens the gate, and keeps
// what it took in order. Shared: an abandoned write outlives the log.
struct StalledDisk
{
    QSemaphore gate;
    QMutex mutex;
    QByteArray written;

    static LogWriter::WriteFunction writeTo(const std::shared_ptr<StalledDisk> &disk)
    {
        return [disk](const QByteArray &batch, QString *) {
            // Bounded, so that a log writing on the appending thread fails
            // the test instead of hanging it.
            disk->gate.tryAcquire(1, 5000);
            const QMutexLocker lock(&disk->mutex);
            disk->written += batch;
            return true;
        };
    }
};

} // namespace

void TestReceiveLog::keepsEveryByteAcrossReopen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rx.bin"));
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("kept\n");
    earlier.close();

    QByteArray expected("kept\n");
    ReceiveLog log;
    for (const QByteArray &batch : {QByteArray("ab\r\n"), QByteArray("\0\xff", 2), QByteArray(3000, 'x')}) {
        QVERIFY(log.open(path));
        log.append(batch);
        expected += batch;
        // Closing waits for the disk: everything is there.
        log.close();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
    }
}

// While the disk holds a write, appends return and events run; once it goes
// on, every byte arrives in order.
void TestReceiveLog::stalledDiskNeverHoldsTheWindow()
{
    auto disk = std::make_shared<StalledDisk>();
    ReceiveLog log;
    log.openWriter(QStringLiteral("stalled.bin"), StalledDisk::writeTo(disk));
    QByteArray expected;
    for (int i = 0; i < 3; ++i) {
        const QByteArray batch = QByteArray::number(i) + ',';
        log.append(batch);
        expected += batch;
    }
    QCOMPARE(log.pendingBytes(), qint64(expected.size()));
    bool ticked = false;
    QTimer::singleShot(0, this, [&ticked] { ticked = true; });
    QTRY_VERIFY(ticked);
    QCOMPARE(log.pendingBytes(), qint64(expected.size()));

    disk->gate.release(3);
    log.close();
    QCOMPARE(disk->written, expected);
}

void TestReceiveLog::stalledDiskFallingBehindIsReported()
{
    auto disk = std::make_shared<StalledDisk>();
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    log.openWriter(QStringLiteral("stalled.bin"), StalledDisk::writeTo(disk));
    appendPastTheBound(log);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(1).toString().contains(QStringLiteral("behind")));
    QVERIFY(!log.isLogging());
    disk->gate.release();
}

void TestReceiveLog::failureIsReportedOnce_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("sizeCap");
    QTest::newRow("write: disk full") << alwaysFullDevice() << qint64(0);
    QTest::newRow("write: file too large") << QStringLiteral("rx.bin") << qint64(2);
    QTest::newRow("open: no such folder") << QStringLiteral("/nonexistent-folder/rx.bin") << qint64(0);
}

void TestReceiveLog::failureIsReportedOnce()
{
    QFETCH(QString, path);
    QFETCH(qint64, sizeCap);
    if (path.isEmpty())
        QSKIP("no device here fails every write");
    QTemporaryDir dir;
    std::unique_ptr<FileSizeCap> cap;
    if (sizeCap > 0) {
        cap = std::make_unique<FileSizeCap>(sizeCap);
        if (!cap->active())
            QSKIP("cannot limit the file size here");
    }
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    QThread *reportedOn = nullptr;
    connect(&log, &ReceiveLog::failed, this, [&reportedOn] { reportedOn = QThread::currentThread(); });
    log.open(QDir(dir.path()).filePath(path));
    log.append("one");
    log.append("two");
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(!failed.first().at(1).toString().isEmpty());
    QVERIFY(!log.isLogging());
    QCOMPARE(reportedOn, QThread::currentThread());
    cap.reset();
    log.append("three");
    QTest::qWait(20);
    QCOMPARE(failed.count(), 1);
}

QTEST_GUILESS_MAIN(TestReceiveLog)
#include "tst_receivelog.moc"
