#include "keydispatch.h"

#include <QtTest>

class TestKeyDispatch : public QObject
{
    Q_OBJECT

private slots:
    void ignoredKeys_data();
    void ignoredKeys();
    void functionKeyIndex_data();
    void functionKeyIndex();
    void functionCommand_data();
    void functionCommand();
    void toLineBytes_data();
    void toLineBytes();
    void utf8Bytes_data();
    void utf8Bytes();
};

void TestKeyDispatch::ignoredKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ignored");

    const struct {
        const char *name;
        int key;
    } ignored[] = {
        {"Escape", 0x01000000}, {"Tab", 0x01000001}, {"Backtab", 0x01000002},
        {"Insert", 0x01000006}, {"Delete", 0x01000007}, {"Pause", 0x01000008},
        {"Print", 0x01000009}, {"SysReq", 0x0100000A}, {"Clear", 0x0100000B},
        {"Home", 0x01000010}, {"End", 0x01000011}, {"Left", 0x01000012},
        {"Up", 0x01000013}, {"Right", 0x01000014}, {"Down", 0x01000015},
        {"PageUp", 0x01000016}, {"PageDown", 0x01000017},
        {"Shift", 0x01000020}, {"Control", 0x01000021}, {"Meta", 0x01000022},
        {"Alt", 0x01000023}, {"CapsLock", 0x01000024}, {"NumLock", 0x01000025},
        {"ScrollLock", 0x01000026},
    };
    for (const auto &row : ignored)
        QTest::newRow(row.name) << row.key << true;

    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false;
    QTest::newRow("Return") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("letter A") << int(Qt::Key_A) << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << false;
    QTest::newRow("F35 (paste)") << int(Qt::Key_F35) << false;
    QTest::newRow("just below Escape") << 0x00FFFFFF << false;
    QTest::newRow("just above Clear") << 0x0100000C << false;
    QTest::newRow("just below Home") << 0x0100000F << false;
    QTest::newRow("just above PageDown") << 0x01000018 << false;
    QTest::newRow("just below Shift") << 0x0100001F << false;
    QTest::newRow("just above ScrollLock") << 0x01000027 << false;
}

void TestKeyDispatch::ignoredKeys()
{
    QFETCH(int, key);
    QFETCH(bool, ignored);
    QCOMPARE(KeyDispatch::isIgnoredKey(key), ignored);
}

void TestKeyDispatch::functionKeyIndex_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("index");

    QTest::newRow("F1") << 0x01000030 << 0;
    QTest::newRow("F7") << 0x01000036 << 6;
    QTest::newRow("F12") << 0x0100003B << 11;
    QTest::newRow("just below F1") << 0x0100002F << -1;
    QTest::newRow("F13") << 0x0100003C << -1;
    QTest::newRow("F35 (paste)") << 0x01000052 << -1;
    QTest::newRow("letter A") << int(Qt::Key_A) << -1;
}

void TestKeyDispatch::functionKeyIndex()
{
    QFETCH(int, key);
    QFETCH(int, index);
    QCOMPARE(KeyDispatch::functionKeyIndex(key), index);
}

void TestKeyDispatch::functionCommand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cr");
    QTest::addColumn<bool>("lf");
    QTest::addColumn<QString>("command");

    QTest::newRow("no flags") << "AT" << false << false << "AT";
    QTest::newRow("CR only") << "AT" << true << false << "AT\r";
    QTest::newRow("LF only") << "AT" << false << true << "AT\n";
    QTest::newRow("CR before LF") << "AT" << true << true << "AT\r\n";
    QTest::newRow("CR at end, CR flag") << "AT\r" << true << false << "AT\r";
    QTest::newRow("CR in the middle, CR flag") << "A\rT" << true << false << "A\rT";
    QTest::newRow("CR at start, both flags") << "\rAT" << true << true << "\rAT\n";
    QTest::newRow("LF in the middle, LF flag") << "A\nT" << false << true << "A\nT";
    QTest::newRow("LF present, both flags") << "A\nT" << true << true << "A\nT\r";
    QTest::newRow("empty, no flags") << "" << false << false << "";
    QTest::newRow("empty, LF") << "" << false << true << "\n";
    QTest::newRow("empty, both") << "" << true << true << "\r\n";
    QTest::newRow("spaces kept") << "  AT  " << true << false << "  AT  \r";
    QTest::newRow("escape notation literal") << "\\r\\n" << true << false << "\\r\\n\r";
}

void TestKeyDispatch::functionCommand()
{
    QFETCH(QString, text);
    QFETCH(bool, cr);
    QFETCH(bool, lf);
    QFETCH(QString, command);
    QCOMPARE(KeyDispatch::functionCommand(text, cr, lf), command);
}

void TestKeyDispatch::toLineBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    // A paste or a function-key command sends 0x00 where a typed key sends '?'.
    QTest::addColumn<QByteArray>("pacedBytes");

    QTest::newRow("empty") << QString() << QByteArray() << QByteArray();
    QTest::newRow("ASCII") << "AT+X" << QByteArray("AT+X") << QByteArray("AT+X");
    QTest::newRow("backspace") << "\b" << QByteArray("\x08") << QByteArray("\x08");
    QTest::newRow("Latin-1 e acute") << QString(QChar(0xE9)) << QByteArray("\xE9") << QByteArray("\xE9");
    QTest::newRow("Latin-1 y diaeresis (0xFF)") << QString(QChar(0xFF)) << QByteArray("\xFF") << QByteArray("\xFF");
    QTest::newRow("U+0100 just above Latin-1") << QString(QChar(0x100)) << QByteArray("?") << QByteArray(1, '\0');
    QTest::newRow("euro sign") << QString(QChar(0x20AC)) << QByteArray("?") << QByteArray(1, '\0');
    QTest::newRow("euro among ASCII") << QString("a") + QChar(0x20AC) + "b" << QByteArray("a?b")
                                      << QByteArray("a\0b", 3);
    // Each UTF-16 unit of a surrogate pair is a unit of its own.
    QTest::newRow("surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("??")
                                    << QByteArray(2, '\0');
}

void TestKeyDispatch::toLineBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, pacedBytes);
    QCOMPARE(KeyDispatch::toLineBytes(text), bytes);
    QCOMPARE(KeyDispatch::toPacedBytes(text), pacedBytes);
}

// In UTF-8 a typed key and a paced send agree: nothing is replaced.
void TestKeyDispatch::utf8Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("euro among ASCII") << QStringLiteral("a\u20acb") << QByteArray("a\xe2\x82\xac" "b");
    QTest::newRow("emoji, a surrogate pair") << QStringLiteral("\U0001F600") << QByteArray("\xf0\x9f\x98\x80");
}

void TestKeyDispatch::utf8Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(KeyDispatch::toLineBytes(text, KeyDispatch::Encoding::Utf8), bytes);
    QCOMPARE(KeyDispatch::toPacedBytes(text, KeyDispatch::Encoding::Utf8), bytes);
}

QTEST_APPLESS_MAIN(TestKeyDispatch)

#include "tst_keydispatch.moc"
