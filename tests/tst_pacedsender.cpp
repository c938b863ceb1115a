#include "pacedsender.h"

#include <QtTest>

// Paced sends one after another: none spliced into another, none nested,
// and a held key does not pile up sends.
class PacedSenderTest : public QObject
{
    Q_OBJECT

private slots:
    void sendAskedDuringASendFollowsIt();
    void functionKeyPresses_data();
    void functionKeyPresses();
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

namespace {

struct Press
{
    QByteArray command;
    bool autoRepeat;
};
using Presses = QVector<Press>;

} // namespace

Q_DECLARE_METATYPE(Presses)

void PacedSenderTest::functionKeyPresses_data()
{
    QTest::addColumn<Presses>("presses");
    QTest::addColumn<QByteArray>("line");

    const Press at {"AT\r", false};
    const Press atRepeat {"AT\r", true};
    QTest::newRow("three presses") << Presses {at, at, at} << QByteArray("AT\rAT\rAT\r");
    QTest::newRow("press, other, press, press") << Presses {at, {"X\r", false}, at, at}
                                                << QByteArray("AT\rX\rAT\rAT\r");
    // The first press starts at once; one repeat waits behind it.
    QTest::newRow("held: repeats merge while queued") << (Presses {at} << Presses(1000, atRepeat))
                                                      << QByteArray("AT\rAT\r");
    QTest::newRow("repeat once its command started") << Presses {at, atRepeat} << QByteArray("AT\rAT\r");
}

void PacedSenderTest::functionKeyPresses()
{
    QFETCH(Presses, presses);
    QByteArray line;
    PacedSender paced([&](const QByteArray &byte) { line += byte; return true; }, [] { return 1; });
    for (const Press &press : qAsConst(presses))
        paced.send(press.command, true, press.autoRepeat);
    QTRY_VERIFY(!paced.isBusy());
    QTEST(line, "line");
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
