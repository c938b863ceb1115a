#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The program asked to end by a signal (kill, systemctl stop, Ctrl+C, a
// closed session) closes its window as the close button does: the settings
// are written and the exit is an ordinary one.
class TerminationTest : public QObject
{
    Q_OBJECT

private slots:
    void signalClosesTheWindowInOrder_data();
    void signalClosesTheWindowInOrder();
};

void TerminationTest::signalClosesTheWindowInOrder_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TerminationTest::signalClosesTheWindowInOrder()
{
    QFETCH(int, signal);
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tarnterm.window.debug=true"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setReadChannel(QProcess::StandardError);
    program.start(QStringLiteral(TARNTERM_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());

    QByteArray errors;
    while (!errors.contains("closing the window on") && program.waitForReadyRead(30000))
        errors += program.readAllStandardError();
    QVERIFY2(errors.contains("closing the window on"), errors.constData());
    QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
    QVERIFY(program.waitForFinished(30000));
    errors += program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(errors.contains("closeEvent") && errors.contains("~TarnTerm"), errors.constData());

    const QSettings stored(home.filePath(QStringLiteral(".config/TarnwickTerm/Tarnwick's Terminal V3.07.conf")),
                           QSettings::IniFormat);
    QVERIFY(stored.contains(QStringLiteral("pos")));
}

QTEST_GUILESS_MAIN(TerminationTest)
#include "tst_termination_unix.moc"
