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
    void encodes_data();
    void encodes();
    void failedWritesAreReported();
};

enum class Report { Key, TerminalKey, Paste };
Q_DECLARE_METATYPE(Report)

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
    void send(Report report, int key, const QString &text)
    {
        sender.setTerminalKeys(report == Report::TerminalKey);
        if (report == Report::Paste)
            sender.paste(key, text);
        else
            sender.keyInput(key, text);
    }
};

} // namespace

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
    wire.send(report, key, text);
    QTRY_VERIFY(!wire.busy());
    QTEST(wire.writes, "writes");
}

// The same text typed, pasted and as F2's command (which appends CR), sent
// as UTF-8 and as Latin-1; paced sends still go byte by byte.
void KeySenderTest::encodes_data()
{
    QTest::addColumn<Report>("report");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QByteArray>>("utf8Writes");
    QTest::addColumn<QList<QByteArray>>("latin1Writes");

    using W = QList<QByteArray>;
    const QString eAcute = QStringLiteral("\u00e9"), euro = QStringLiteral("\u20ac");
    const QByteArray nul(1, '\0');
    const int a = Qt::Key_A, f2 = Qt::Key_F2;
    QTest::newRow("typed e acute") << Report::Key << a << eAcute << W {"\xc3\xa9"} << W {"\xe9"};
    QTest::newRow("typed euro") << Report::Key << a << euro << W {"\xe2\x82\xac"} << W {"?"};
    QTest::newRow("typed emoji") << Report::Key << a << QStringLiteral("\U0001F600") << W {"\xf0\x9f\x98\x80"}
                                 << W {"??"};
    QTest::newRow("pasted e acute") << Report::Paste << a << eAcute << W {"\xc3", "\xa9"} << W {"\xe9"};
    QTest::newRow("pasted euro") << Report::Paste << a << euro << W {"\xe2", "\x82", "\xac"} << W {nul};
    QTest::newRow("F2 e acute") << Report::Key << f2 << eAcute << W {"\xc3", "\xa9", "\r"} << W {"\xe9", "\r"};
    QTest::newRow("F2 euro") << Report::Key << f2 << euro << W {"\xe2", "\x82", "\xac", "\r"} << W {nul, "\r"};
}

void KeySenderTest::encodes()
{
    QFETCH(Report, report);
    QFETCH(int, key);
    QFETCH(QString, text);
    for (const bool utf8 : {true, false}) {
        Wire wire;
        wire.keys[1].text = text;
        wire.sender.setUtf8(utf8);
        wire.send(report, key, text);
        QTRY_VERIFY(!wire.busy());
        QTEST(wire.writes, utf8 ? "utf8Writes" : "latin1Writes");
    }
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
