#include "pacedsender.h"

#include <QtTest>

// Paced sends one after another: none spliced into another, none nested,
// and a held key does not pile up sends.
class PacedSenderTest : public QObject
{
    Q_OBJECT

private slots:
    void sendAskedDuringASendFollowsIt();
    void heldKeyQueuesAtMostOneMore();
    void repeatsAfterOtherSendsAreKept();
    void cancelDropsTheRestAndCountsIt();
};

void PacedSenderTest::sendAskedDuringASendFollowsIt()
{
    QByteArray line;
    PacedSender *sender = nullptr;
    PacedSender paced(
        [&](const QByteArray &byte) {
            line += byte;
            // Asked for while the first send is under way, as a paste
            // arriving during a wait between its bytes.
            if (line.size() == 3) {
                sender->send(QByteArray(20, 'B'), false);
                sender->send(QByteArray(10, 'C'), true);
            }
            return true;
        },
        [] { return 1; });
    sender = &paced;
    paced.send(QByteArray(50, 'A'), false);
    QTRY_VERIFY(!paced.isBusy());
    QCOMPARE(line, QByteArray(50, 'A') + QByteArray(20, 'B') + QByteArray(10, 'C'));
}

void PacedSenderTest::heldKeyQueuesAtMostOneMore()
{
    QByteArray line;
    PacedSender paced([&](const QByteArray &byte) { line += byte; return true; }, [] { return 1; });
    // Auto-repeat presses far faster than the command goes out.
    for (int repeat = 0; repeat < 1000; ++repeat)
        paced.send("AT\r", true);
    QTRY_VERIFY(!paced.isBusy());
    QCOMPARE(line, QByteArray("AT\rAT\r"));
}

void PacedSenderTest::repeatsAfterOtherSendsAreKept()
{
    QByteArray line;
    PacedSender paced([&](const QByteArray &byte) { line += byte; return true; }, [] { return 1; });
    paced.send("paste", false);
    // While the paste goes out: F1, F3, F1 again, and two equal pastes.
    paced.send("AT", true);
    paced.send("HELLO", true);
    paced.send("AT", true);
    paced.send("xy", false);
    paced.send("xy", false);
    QTRY_VERIFY(!paced.isBusy());
    QCOMPARE(line, QByteArray("pasteATHELLOATxyxy"));
}

void PacedSenderTest::cancelDropsTheRestAndCountsIt()
{
    QByteArray line;
    // The device goes while the send waits after its second byte.
    PacedSender paced([&](const QByteArray &byte) { line += byte; return true; },
                      [&] { return line.size() >= 2 ? 60000 : 1; });
    paced.send("ABCDEFGH", true);
    paced.send("IJ", false);
    QTRY_COMPARE(line, QByteArray("AB"));
    QCOMPARE(paced.cancel(), qint64(8));
    QVERIFY(!paced.isBusy());
    QTest::qWait(20);
    QCOMPARE(line, QByteArray("AB"));
    // The next send starts from scratch.
    paced.send("Z", false);
    QTRY_COMPARE(line, QByteArray("ABZ"));
}

QTEST_GUILESS_MAIN(PacedSenderTest)
#include "tst_pacedsender.moc"
