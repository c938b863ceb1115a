#include "diskfull.h"
#include "receivelog.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestReceiveLog : public QObject
{
    Q_OBJECT

private slots:
    void keepsEveryByteAcrossReopen();
    void failureIsReportedOnce_data();
    void failureIsReportedOnce();
};

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
    QTest::newRow("write: disk full") << alwaysFullDevice();
    QTest::newRow("open: no such folder") << QStringLiteral("/nonexistent-folder/rx.bin");
}

void TestReceiveLog::failureIsReportedOnce()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no device here fails every write");
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    log.open(path);
    log.append("one");
    log.append("two");
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.first().at(1).toString().isEmpty());
    QVERIFY(!log.isLogging());
}

QTEST_GUILESS_MAIN(TestReceiveLog)
#include "tst_receivelog.moc"
