#include "hexview.h"
#include "receivefeed.h"
#include "serialport.h"
#include "zividview.h"

#include <QtTest>

// The hex view takes every batch at once; the console the first one after a
// pause at once, and the ones after it together when the show interval ends.
class ReceiveFeedTest : public QObject
{
    Q_OBJECT

private slots:
    void laterBatchesWaitForTheInterval();
    void heldBatchesAreShownOrDropped_data();
    void heldBatchesAreShownOrDropped();
};

namespace {

struct Feed
{
    ZIvidView console;
    HexView hexView;
    SerialPort port;
    ReceiveFeed feed {&console, &hexView};

    void receive(const QByteArray &bytes)
    {
        port.receivedBytes = bytes;
        feed.readFrom(&port);
    }
};

} // namespace

void ReceiveFeedTest::laterBatchesWaitForTheInterval()
{
    Feed f;
    f.receive("one ");
    QCOMPARE(f.console.toPlainText(), QStringLiteral("one "));
    QVERIFY(f.port.receivedBytes.isEmpty());
    f.receive("two ");
    f.receive("three");
    QCOMPARE(f.hexView.data(), QByteArray("one two three"));
    QCOMPARE(f.console.toPlainText(), QStringLiteral("one "));
    QTRY_COMPARE(f.console.toPlainText(), QStringLiteral("one two three"));
}

void ReceiveFeedTest::heldBatchesAreShownOrDropped_data()
{
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QString>("shown");
    QTest::newRow("shown") << false << "one two";
    QTest::newRow("cleared") << true << "";
}

void ReceiveFeedTest::heldBatchesAreShownOrDropped()
{
    QFETCH(bool, clear);
    QFETCH(QString, shown);
    Feed f;
    f.receive("one ");
    f.receive("two");
    if (clear)
        f.feed.clear();
    else
        f.feed.showHeld();
    QCOMPARE(f.console.toPlainText(), shown);
    QCOMPARE(f.hexView.data(), shown.toLatin1());
    // Nothing is left for the timer to show.
    QTest::qWait(2 * ReceiveFeed::showInterval);
    QCOMPARE(f.console.toPlainText(), shown);
}

QTEST_MAIN(ReceiveFeedTest)
#include "tst_receivefeed.moc"
