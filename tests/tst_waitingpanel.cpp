#include "waitingpanel.h"

#include <QtTest>

class TestWaitingPanel : public QObject
{
    Q_OBJECT

private slots:
    void texts();
};

void TestWaitingPanel::texts()
{
    WaitingPanel panel;
    QCOMPARE(panel.objectName(), QStringLiteral("waitingPanel"));
    QVERIFY(panel.heading().contains(
        QStringLiteral("VID 04D8 with PID 000A or PID 00DF, or VID 239A with a PID containing 2B")));
    QVERIFY(panel.errorText().isEmpty());

    panel.setPortName(QStringLiteral("ttyUSB0"));
    QVERIFY(panel.heading().contains(QStringLiteral("ttyUSB0")));

    const QString packageHint = QStringLiteral("sudo apt install ./tarnterm_3.07-1_amd64.deb");
    panel.setLastError(QStringLiteral("Device or resource busy"), true);
    QVERIFY(!panel.errorText().contains(packageHint));
    // A port that is no Tarnwick device gets no hint about the package.
    panel.setLastError(QStringLiteral("Permission denied"), false);
    QVERIFY(panel.errorText().contains(QStringLiteral("Permission denied")));
    QVERIFY(!panel.errorText().contains(packageHint));
    panel.setLastError(QStringLiteral("Permission denied"), true);
#ifdef Q_OS_LINUX
    QVERIFY(panel.errorText().contains(packageHint));
#endif
    panel.setLastError(QString());
    QVERIFY(panel.errorText().isEmpty());
}

QTEST_MAIN(TestWaitingPanel)
#include "tst_waitingpanel.moc"
