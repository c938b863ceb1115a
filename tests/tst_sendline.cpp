#include "sendhistory.h"
#include "sendlinebar.h"
#include "sendlinetext.h"
#include "tarnterm.h"
#include "terminalfixture.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

using SendLineText::Ending;
Q_DECLARE_METATYPE(Ending)

class SendLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void init() { settingsStore().clear(); }
    void historyWalk();
    void historyKeepsTheNewest();
    void text_data();
    void text();
    void hex_data();
    void hex();
    void encoding_data();
    void encoding();
    void linesReachTheDevice();
};

// Up from a draft walks back, Down walks forward and gives the draft back.
void SendLineTest::historyWalk()
{
    SendHistory history;
    for (const char *line : {"a", "b", "b", "c", "b"})
        history.add(QString::fromLatin1(line));
    QCOMPARE(history.lines(), (QStringList {"a", "b", "c", "b"}));
    QStringList walk;
    QString shown = QStringLiteral("draft");
    for (int i = 0; i < 5; ++i)
        walk << (shown = history.older(shown));
    for (int i = 0; i < 5; ++i)
        walk << (shown = history.newer(shown));
    QCOMPARE(walk, (QStringList {"b", "c", "b", "a", "a", "b", "c", "b", "draft", "draft"}));
}

void SendLineTest::historyKeepsTheNewest()
{
    SendHistory history;
    QStringList stored;
    for (int i = 0; i < 250; ++i)
        stored << QString::number(i);
    history.setLines(stored);
    QCOMPARE(history.lines(), stored.mid(50));
    history.add(QStringLiteral("new"));
    QCOMPARE(history.lines().size(), SendHistory::maxLines);
    QCOMPARE(history.lines().first(), QStringLiteral("51"));
    QCOMPARE(history.older(QString()), QStringLiteral("new"));
    history.clear();
    QVERIFY(history.lines().isEmpty());
    QCOMPARE(history.older(QStringLiteral("x")), QStringLiteral("x"));
}

void SendLineTest::text_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("none") << "AT" << Ending::None << QByteArray("AT");
    QTest::newRow("CR") << "AT" << Ending::CR << QByteArray("AT\r");
    QTest::newRow("LF") << "AT" << Ending::LF << QByteArray("AT\n");
    QTest::newRow("CR LF") << "AT" << Ending::CRLF << QByteArray("AT\r\n");
    QTest::newRow("empty line, ending only") << "" << Ending::CRLF << QByteArray("\r\n");
    QTest::newRow("above U+00FF as in a paste") << QStringLiteral("\u00e9\u20ac") << Ending::None
                                                << QByteArray("\xe9\0", 2);
}

void SendLineTest::text()
{
    QFETCH(QString, line);
    QFETCH(Ending, ending);
    QTEST(SendLineText::textBytes(line, ending), "bytes");
}

void SendLineTest::hex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("spaced, mixed case") << "48 65 0d 0A" << QByteArray("He\r\n") << "";
    QTest::newRow("run together") << "48650d0a" << QByteArray("He\r\n") << "";
    QTest::newRow("extra spaces") << "  00  ff " << QByteArray("\0\xff", 2) << "";
    QTest::newRow("empty") << "" << QByteArray() << "";
    QTest::newRow("odd count") << "48 6" << QByteArray() << "an odd number of hex digits";
    QTest::newRow("not hex") << "48 6g" << QByteArray() << "\"g\" at column 5 is not a hex digit";
    QTest::newRow("space inside a pair") << "4 8" << QByteArray() << "\" \" at column 2 is not a hex digit";
    QTest::newRow("0x prefix") << "0x41" << QByteArray() << "\"x\" at column 2 is not a hex digit";
}

void SendLineTest::hex()
{
    QFETCH(QString, text);
    const SendLineText::HexResult result = SendLineText::hexBytes(text);
    QTEST(result.bytes, "bytes");
    QTEST(result.error, "error");
}

// The bar's text mode follows the encoding; hex mode is bytes either way.
void SendLineTest::encoding_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("\u00e9\u20ac");
    QTest::newRow("UTF-8") << true << false << text << QByteArray("\xc3\xa9\xe2\x82\xac\r\n");
    QTest::newRow("Latin-1") << false << false << text << QByteArray("\xe9\0\r\n", 4);
    QTest::newRow("UTF-8, hex") << true << true << "c3 a9" << QByteArray("\xc3\xa9");
}

void SendLineTest::encoding()
{
    QFETCH(bool, utf8);
    QFETCH(bool, hex);
    QFETCH(QString, line);
    QByteArray sent;
    SendLineBar bar([&sent](const QByteArray &bytes) { sent = bytes; return true; });
    bar.setUtf8(utf8);
    bar.setHexMode(hex);
    bar.lineEdit()->setText(line);
    bar.sendLine();
    QTEST(sent, "bytes");
}

// Through the window to the device: nothing leaves before Enter, the line
// goes with its ending, hex goes as bytes, a bad hex line goes nowhere.
void SendLineTest::linesReachTheDevice()
{
    TerminalFixture fixture;
    QVERIFY(fixture.plugAndConnect());
    fixture.window()->findChild<QAction *>(QStringLiteral("actionSend_Line"))->setChecked(true);
    auto *bar = fixture.window()->findChild<SendLineBar *>();
    QVERIFY(bar->isVisible());
    QLineEdit *edit = bar->lineEdit();
    QTRY_VERIFY(edit->hasFocus());

    QTest::keyClicks(edit, QStringLiteral("AT+GMR"));
    QCOMPARE(fixture.device.readAvailable(), QByteArray());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(fixture.device.readAtLeast(8), QByteArray("AT+GMR\r\n"));
    QVERIFY(edit->text().isEmpty());

    bar->setEnding(Ending::CR);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("AT+GMR"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(fixture.device.readAtLeast(7), QByteArray("AT+GMR\r"));
    QCOMPARE(bar->history(), QStringList {"AT+GMR"});

    bar->setHexMode(true);
    QTest::keyClicks(edit, QStringLiteral("01 F"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(bar->error(), QStringLiteral("an odd number of hex digits"));
    QTest::keyClicks(edit, QStringLiteral("f"));
    QVERIFY(bar->error().isEmpty());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(fixture.device.readAtLeast(2), QByteArray("\x01\xff"));

    QTest::keyClick(edit, Qt::Key_Escape);
    QTRY_VERIFY(fixture.console()->hasFocus());

    bar->clearHistoryAction()->trigger();
    fixture.window()->close();
    QCOMPARE(settingsStore().value(QStringLiteral("sendhistory")).toStringList(), QStringList());
    QCOMPARE(settingsStore().value(QStringLiteral("sendlineending")).toInt(), int(Ending::CR));
    QCOMPARE(settingsStore().value(QStringLiteral("sendline")).toBool(), true);
}

QTEST_MAIN(SendLineTest)
#include "tst_sendline.moc"
