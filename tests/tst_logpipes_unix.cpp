#include "logoverflow.h"
#include "processsetup.h"
#include "receivelog.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// --log into FIFOs and pipes, whose readers may be missing, slow or gone,
// and a log the program cannot open at all.
class LogPipesTest : public QObject
{
    Q_OBJECT

private slots:
    void fifoWithoutReaderFailsAtOnce();
    void stalledReaderNeverBlocks();
    void readerGoingAwayIsAnError();
    void unusableLogEndsBeforeAnyWindow_data();
    void unusableLogEndsBeforeAnyWindow();
};

namespace {

QString makeFifo(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("rx.fifo"));
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

} // namespace

void LogPipesTest::fifoWithoutReaderFailsAtOnce()
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
void LogPipesTest::stalledReaderNeverBlocks()
{
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    ReceiveLog log;
    QSignalSpy failed(&log, &ReceiveLog::failed);
    QVERIFY(log.open(fifo));
    appendPastTheBound(log);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(1).toString().contains(QStringLiteral("behind")));
    QVERIFY(!log.isLogging());
    ::close(reader);
}

void LogPipesTest::readerGoingAwayIsAnError()
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

void LogPipesTest::unusableLogEndsBeforeAnyWindow_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << QString() << "Is a directory";
    QTest::newRow("missing folder") << "missing/rx.log" << "No such file or directory";
    QTest::newRow("FIFO without reader") << "rx.fifo" << "no reader";
}

void LogPipesTest::unusableLogEndsBeforeAnyWindow()
{
    QFETCH(QString, log);
    QTemporaryDir dir;
    const QString path = dir.filePath(log);
    if (log.endsWith(QLatin1String(".fifo")))
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QProcess program;
    // Without a display: getting as far as a window would abort, not exit 2.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARNTERM_PROGRAM), {QStringLiteral("--log"), path});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(error.contains(QTest::currentDataTag() == QLatin1String("folder") ? dir.path() : path), qPrintable(error));
    QFETCH(QString, reason);
    QVERIFY2(error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(LogPipesTest)
#include "tst_logpipes_unix.moc"
