#include "processsetup.h"
#include "receivelog.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestReceiveLog : public QObject
{
    Q_OBJECT

private slots:
    void keepsEveryByteAcrossReopen();
    void failureIsReportedOnce_data();
    void failureIsReportedOnce();
    void fifoWithoutReaderFailsAtOnce();
    void stalledReaderNeverBlocks();
    void readerGoingAwayIsAnError();
};

namespace {

QString makeFifo(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("rx.fifo"));
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

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
        // Each batch is on disk before the next, as a crash would find it.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
        log.close();
    }
}

void TestReceiveLog::failureIsReportedOnce_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("write: disk full") << QStringLiteral("/dev/full");
    QTest::newRow("open: no such folder") << QStringLiteral("/nonexistent-folder/rx.bin");
}

void TestReceiveLog::failureIsReportedOnce()
{
    QFETCH(QString, path);
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    log.open(path);
    log.append("one");
    log.append("two");
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.first().at(1).toString().isEmpty());
    QVERIFY(!log.isLogging());
}

void TestReceiveLog::fifoWithoutReaderFailsAtOnce()
{
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir);
    QVERIFY(!fifo.isEmpty());
    ReceiveLog log;
    QVERIFY(!log.open(fifo));
    QCOMPARE(log.errorString(), QStringLiteral("no reader"));
}

// A reader that stops reading: the log fills its buffer, says so once and
// stops, and no append ever waits (a wait would hang this test).
void TestReceiveLog::stalledReaderNeverBlocks()
{
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    QVERIFY(log.open(fifo));
    const QByteArray batch(1 << 20, 'x');
    for (qint64 sent = 0; sent <= ReceiveLog::bufferLimit + batch.size(); sent += batch.size())
        log.append(batch);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(1).toString().contains(QStringLiteral("behind")));
    QVERIFY(!log.isLogging());
    ::close(reader);
}

void TestReceiveLog::readerGoingAwayIsAnError()
{
    ProcessSetup::ignoreBrokenPipes();
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    QVERIFY(log.open(fifo));
    log.append("before");
    char buffer[16];
    QCOMPARE(::read(reader, buffer, sizeof buffer), ssize_t(6));
    ::close(reader);
    log.append("after");
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(1).toString(), QString::fromLocal8Bit(strerror(EPIPE)));
}

QTEST_GUILESS_MAIN(TestReceiveLog)
#include "tst_receivelog.moc"
