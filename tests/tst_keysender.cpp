#include "keysender.h"
#include "pacedsender.h"

#include <QtTest>

// What each kind of key report puts on the wire, and in how many writes: a
// typed key in one, a paste and a function-key command byte by byte.
class KeySenderTest : public QObject
{
    Q_OBJECT

private slots:
    void sends_data();
    void sends();
    void failedWritesAreReported();
};

namespace {

struct Wire
{
    FunctionKeyList keys {{Qt::Key_F1, QString()}, {Qt::Key_F2, QStringLiteral("AT")}};
    FunctionFlagList crFlags {{Qt::Key_F1, false}, {Qt::Key_F2, true}};
    FunctionFlagList lfFlags {{Qt::Key_F1, true}, {Qt::Key_F2, false}};
    int delay = 1;
    QList<QByteArray> writes;
    bool connected = true;
    bool writable = true;
    KeySender sender {{keys, crFlags, lfFlags, delay},
                      [this](const QByteArray &bytes) { writes.append(bytes); return writable; },
                      [this] { return connected; }};

    bool busy() const { return sender.findChild<PacedSender *>()->isBusy(); }
};

} // namespace

enum class Report { Key, TerminalKey, Paste };
Q_DECLARE_METATYPE(Report)

void KeySenderTest::sends_data()
{
    QTest::addColumn<Report>("report");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QList<QByteArray>>("writes");

    QTest::newRow("typed key") << Report::Key << int(Qt::Key_A) << "a" << true << QList<QByteArray> {"a"};
    QTest::newRow("typed key, nothing connected") << Report::Key << int(Qt::Key_A) << "a" << false
                                                  << QList<QByteArray> {};
    QTest::newRow("arrow as terminal key") << Report::TerminalKey << int(Qt::Key_Up) << "" << true
                                           << QList<QByteArray> {"\x1b[A"};
    QTest::newRow("function key with CR") << Report::Key << int(Qt::Key_F2) << "" << true
                                          << QList<QByteArray> {"A", "T", "\r"};
    QTest::newRow("empty function key with LF") << Report::Key << int(Qt::Key_F1) << "" << true
                                                << QList<QByteArray> {"\n"};
    // A paste's text is taken as it is, even with the code of a function key.
    QTest::newRow("paste") << Report::Paste << int(Qt::Key_F2) << QStringLiteral("x\u00e9\u20ac") << true
                           << QList<QByteArray> {"x", "\xe9", QByteArray(1, '\0')};
    QTest::newRow("paste, nothing connected") << Report::Paste << int(Qt::Key_F2) << "xy" << false
                                              << QList<QByteArray> {};
}

void KeySenderTest::sends()
{
    QFETCH(Report, report);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, connected);
    Wire wire;
    wire.connected = connected;
    wire.sender.setTerminalKeys(report == Report::TerminalKey);
    if (report == Report::Paste)
        wire.sender.paste(key, text);
    else
        wire.sender.keyInput(key, text);
    QTRY_VERIFY(!wire.busy());
    QTEST(wire.writes, "writes");
}

void KeySenderTest::failedWritesAreReported()
{
    Wire wire;
    wire.writable = false;
    QSignalSpy failed(&wire.sender, &KeySender::writeFailed);
    wire.sender.keyInput(Qt::Key_A, QStringLiteral("a"));
    QCOMPARE(failed.count(), 1);
    wire.sender.paste(0, QStringLiteral("pasted"));
    QTRY_COMPARE(failed.count(), 2);
    // The rest of the paste is dropped, not tried byte after byte.
    QVERIFY(!wire.busy());
    QCOMPARE(wire.writes.size(), 2);
}

QTEST_MAIN(KeySenderTest)
#include "tst_keysender.moc"
