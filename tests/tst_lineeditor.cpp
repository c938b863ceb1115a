#include "consoletext.h"
#include "lineeditor.h"
#include "sequencescanner.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QString shown(const ConsoleText &text)
{
    return QString::fromLatin1(text.mid(0, text.size()));
}

// A W-wide row as a terminal keeps it, for random edits to be checked
// against: cells and a cursor, nothing else.
struct RowModel
{
    int width;
    QByteArray cells;
    int cursor = 0;
    void pad() { cells = cells.leftJustified(cursor, ' '); }
    void put(char c)
    {
        pad();
        if (cursor < cells.size())
            cells[cursor] = c;
        else
            cells.append(c);
        cursor = std::min(cursor + 1, width - 1);
    }
};

} // namespace

// The device's line editing, applied to the console's last line.
class LineEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void utf8Cells_data();
    void utf8Cells();
    void utf8SplitsGiveTheSameText();
    void switchingUtf8KeepsTheCursorsCharacter();
    void utf8ReadBackOfBrokenBytesStaysInTheLine();
    void colourSequencesStayWithTheirCharacters();
    void queriesAreAnswered();
    void oscTitleAndBell();
    void splitsGiveTheSameText();
    void randomEditsMatchARow();
    void editsLeaveTheLinesAboveAndTheirTimes();
    void userDeleteResynchronises();
};

void LineEditorTest::rules_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("cursor");

    QTest::newRow("backspace moves, erases nothing") << QByteArray("abc\b\b") << "abc" << qint64(1);
    QTest::newRow("backspace stops at the line's start") << QByteArray("x\n\b\bab") << "x\nab" << qint64(2);
    QTest::newRow("CR then overwrite") << QByteArray("hello\rJ") << "Jello" << qint64(1);
    QTest::newRow("CR LF is one break") << QByteArray("one\r\ntwo\r\n") << "one\ntwo\n" << qint64(0);
    QTest::newRow("LF mid-line keeps the line") << QByteArray("abcd\b\b\nx") << "abcd\nx" << qint64(1);
    QTest::newRow("right pads with blanks") << QByteArray("ab\x1b[3Cc") << "ab   c" << qint64(6);
    QTest::newRow("right stops at the last column") << QByteArray("\x1b[999C") << QString(19, ' ') << qint64(19);
    QTest::newRow("left, default one") << QByteArray("abcd\x1b[D\x1b[2DX") << "aXcd" << qint64(2);
    QTest::newRow("left stops at column 0") << QByteArray("ab\x1b[9DZ") << "Zb" << qint64(1);
    QTest::newRow("column") << QByteArray("abcdef\x1b[3GX") << "abXdef" << qint64(3);
    QTest::newRow("erase to end") << QByteArray("abcdef\x1b[3D\x1b[K") << "abc" << qint64(3);
    QTest::newRow("erase to end, 0K") << QByteArray("abcdef\r\x1b[0K") << "" << qint64(0);
    QTest::newRow("erase from start") << QByteArray("abcdef\x1b[3D\x1b[1K") << "    ef" << qint64(3);
    QTest::newRow("erase line") << QByteArray("abcdef\x1b[3D\x1b[2K") << "   " << qint64(3);
    QTest::newRow("erase display to end") << QByteArray("abcdef\x1b[4D\x1b[J") << "ab" << qint64(2);
    QTest::newRow("delete characters") << QByteArray("abcdef\x1b[5D\x1b[2P") << "adef" << qint64(1);
    QTest::newRow("insert blanks") << QByteArray("abcdef\x1b[5D\x1b[2@") << "a  bcdef" << qint64(1);
    QTest::newRow("save and restore, ESC 7/8") << QByteArray("ab\x1b" "7cd\x1b" "8X") << "abXd" << qint64(3);
    QTest::newRow("save and restore, CSI s/u") << QByteArray("ab\x1b[scd\x1b[uX") << "abXd" << qint64(3);
    QTest::newRow("tab to the next stop") << QByteArray("ab\tc") << "ab      c" << qint64(9);
    QTest::newRow("hidden: modes, charsets, cursor position, OSC, DCS")
        << QByteArray("\x1b[?2004ha\x1b(Bb\x1b[1;1Hc\x1b]0;t\x07\x1bPq\x1b\\d\x1b[2J\x1b[?25l") << "abcd" << qint64(4);
    QTest::newRow("wraps at W, pending wrap then CR stays on the row")
        << QByteArray("0123456789012345678\x39\rX") << "X1234567890123456789" << qint64(1);
    QTest::newRow("writing past W continues on the next row")
        << QByteArray("01234567890123456789ab\x1b[A\x1b[2DX") << "X1234567890123456789ab" << qint64(1);
    QTest::newRow("CR LF after a full row, then up, joins the rows again")
        << QByteArray("01234567890123456789\r\nabc\r\x1b[1A\x1b[5CX") << "01234X67890123456789abc" << qint64(6);
    QTest::newRow("a full line and the next stay apart") << QByteArray("01234567890123456789\r\nabc\r\n")
                                                        << "01234567890123456789\nabc\n" << qint64(0);
    QTest::newRow("down moves only over the line's rows")
        << QByteArray("01234567890123456789ab\x1b[2A\x1b[5BY") << "01234567890123456789abY" << qint64(23);
    QTest::newRow("delete in a wrapped row keeps its width")
        << QByteArray("01234567890123456789ab\r\x1b[A\x1b[P") << "1234567890123456789 ab" << qint64(0);
    QTest::newRow("over-long CSI is drawn") << QByteArray("\x1b[" + QByteArray(40, '1') + "x")
                                           << "\x1b[" + QString(40, '1') + "x" << qint64(43);
    QTest::newRow("ESC that starts nothing is drawn") << QByteArray("a\x1b\x01" "b") << "a\x1b\x01" "b" << qint64(4);
}

void LineEditorTest::rules()
{
    QFETCH(QByteArray, received);
    QFETCH(QString, text);
    QFETCH(qint64, cursor);
    ConsoleText store;
    LineEditor editor(store);
    editor.setColumns(20);
    editor.receive(received, 1000);
    QCOMPARE(shown(store), text);
    QCOMPARE(editor.cursorCell(), cursor);
    // The caret's place in the text: the cell's character, or the end.
    const qint64 lineStart = store.lineStart(store.lineCount() - 1);
    QCOMPARE(editor.cursorPosition(), std::min(lineStart + cursor, store.size()));
}

void LineEditorTest::utf8Cells_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("cursor");
    QTest::addColumn<qint64>("position");

    const QByteArray wide = "\xe4\xb8\xad"; // CJK, two cells
    const QByteArray snake = "\xf0\x9f\x90\x8d"; // emoji, two cells
    QTest::newRow("off: bytes") << false << QByteArray("caf\xc3\xa9\x1b[DE") << QByteArray("caf\xc3" "E") << 5LL << 5LL;
    QTest::newRow("left over e-acute") << true << QByteArray("caf\xc3\xa9\x1b[DE") << QByteArray("cafE") << 4LL << 4LL;
    QTest::newRow("backspaces over e-acute") << true << QByteArray("caf\xc3\xa9\b\bxy") << QByteArray("caxy") << 4LL << 4LL;
    QTest::newRow("delete a box drawing after a euro")
        << true << QByteArray("\xe2\x82\xac\xe2\x94\x80x\x1b[2D\x1b[P") << QByteArray("\xe2\x82\xacx") << 1LL << 3LL;
    QTest::newRow("onto a wide character's right half") << true << wide + "a\x1b[2D" << wide + "a" << 1LL << 0LL;
    QTest::newRow("writing a right half blanks the left")
        << true << wide + "a\x1b[2Dx" << QByteArray(" xa") << 2LL << 2LL;
    QTest::newRow("writing a left half blanks the right") << true << wide + "a\rx" << QByteArray("x a") << 1LL << 1LL;
    QTest::newRow("erase from a right half") << true << snake + ">\x1b[2D\x1b[K" << QByteArray(" ") << 1LL << 1LL;
    QTest::newRow("insert at a right half") << true << snake + "ab\x1b[3D\x1b[@" << QByteArray("   ab") << 1LL << 1LL;
    QTest::newRow("delete pulls no right half in") << true << "a" + wide + "b\r\x1b[2P" << QByteArray(" b") << 0LL << 0LL;
    QTest::newRow("wide past the last column wraps, appended")
        << true << QByteArray(19, 'a') + wide << QByteArray(19, 'a') + ' ' + wide << 22LL << 23LL;
    QTest::newRow("wide past the last column wraps, written")
        << true << "x\b" + QByteArray(19, 'a') + wide << QByteArray(19, 'a') + ' ' + wide << 22LL << 23LL;
    QTest::newRow("invalid bytes are a cell each")
        << true << QByteArray("a\x80\xc3(\x1b[3DX") << QByteArray("aX\xc3(") << 2LL << 2LL;
    QTest::newRow("overlong and surrogate bytes are a cell each")
        << true << QByteArray("\xc0\xaf\xed\xa0\x80z\x1b[5DX") << QByteArray("\xc0X\xed\xa0\x80z") << 2LL << 2LL;
    QTest::newRow("a long line read back from inside a character")
        << true << QByteArray("\xe2\x82\xac").repeated(100) + "\r\x1b[4AX" << "X" + QByteArray("\xe2\x82\xac").repeated(99)
        << 1LL << 1LL;
    QTest::newRow("up joins a row that wide characters fill")
        << true << QByteArray(18, 'a') + wide + "\r\nb\r\x1b[A\x1b[2CX" << QByteArray(2, 'a') + 'X' + QByteArray(15, 'a') + wide + 'b'
        << 3LL << 3LL;
}

void LineEditorTest::utf8Cells()
{
    QFETCH(bool, utf8);
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, text);
    QFETCH(qint64, cursor);
    QFETCH(qint64, position);
    ConsoleText store;
    LineEditor editor(store);
    editor.setColumns(20);
    editor.setUtf8(utf8);
    editor.receive(received, 0);
    QCOMPARE(store.mid(0, store.size()), text);
    QCOMPARE(editor.cursorCell(), cursor);
    QCOMPARE(editor.cursorPosition(), position);
}

// Every character, valid or not, cut at every byte, in colour and not,
// appended and written inside the line.
void LineEditorTest::utf8SplitsGiveTheSameText()
{
    const QByteArray session = "\x1b[32mcaf\xc3\xa9\x1b[0m \xe2\x82\xac\xe2\x94\x80\xe4\xb8\xad\xf0\x9f\x90\x8d\xc3(\x80"
                               "\xe0\x80\xaf\r\n\xe2\x94\x80\xe4\xb8\xadx\x1b[4D\xf0\x9f\x90\x8d\xe2\x82\xac\xc3\xa9\x1b[K"
                               "\xe4\xb8\xad\xe4\xb8\xad\x1b[3D\x1b[P\xc3\xa9\xf0\x9f";
    const auto run = [&](int cut, int size) {
        auto store = std::make_unique<ConsoleText>();
        store->setDeviceColours(true);
        LineEditor editor(*store);
        editor.setColumns(20);
        editor.setUtf8(true);
        editor.receive(session.left(cut), 0);
        for (int at = cut; at < session.size(); at += size)
            editor.receive(session.mid(at, size), 0);
        return std::make_tuple(store->mid(0, store->size()), editor.cursorCell(), editor.cursorPosition());
    };
    const auto whole = run(session.size(), 1);
    for (int cut = 0; cut < session.size(); ++cut)
        QCOMPARE(run(cut, session.size()), whole);
    for (int size = 1; size <= 3; ++size)
        QCOMPARE(run(0, size), whole);
}

// D9 and 9B received apart (NULs and a BEL between, which the text does not
// keep) were counted as two cells but read back as one character: the
// cursor then stood before the line's first cell.
void LineEditorTest::utf8ReadBackOfBrokenBytesStaysInTheLine()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.setColumns(76);
    editor.setUtf8(true);
    for (const QByteArray &batch : {QByteArray("\0\x1f" "1", 3),
                                    QByteArray("\xd9\0\0\a\x9b[\x1bn6[9\xc6" "C\xcf\x05\r\r\r\r\x1c[2\xa1\x9e\x93" "c\x1b",
                                               27),
                                    QByteArray("\x1b" "8")}) {
        editor.receive(batch, 0);
        QVERIFY(editor.cursorCell() >= 0);
        QVERIFY(editor.cursorPosition() >= store.lineStart(store.lineCount() - 1));
        QVERIFY(editor.cursorPosition() <= store.size());
    }
}

void LineEditorTest::switchingUtf8KeepsTheCursorsCharacter()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.receive("caf\xc3\xa9!\x1b[3D", 0);
    QCOMPARE(editor.cursorCell(), qint64(3));
    editor.setUtf8(true);
    QCOMPARE(editor.cursorCell(), qint64(3));
    editor.receive("\x1b[CE", 0);
    QCOMPARE(store.mid(0, store.size()), QByteArray("caf\xc3\xa9" "E"));
    editor.setUtf8(false);
    QCOMPARE(editor.cursorCell(), qint64(6));
}

void LineEditorTest::colourSequencesStayWithTheirCharacters()
{
    ConsoleText store;
    store.setDeviceColours(true);
    LineEditor editor(store);
    // A coloured prompt drawn again and again: the sequences do not pile up.
    for (int i = 0; i < 5; ++i)
        editor.receive("\r\x1b[32m>>> \x1b[0mab" + QByteArray(i, 'c') + "\x1b[K", 0);
    QCOMPARE(shown(store), QStringLiteral("\x1b[32m>>> \x1b[0mabcccc"));
    QCOMPARE(editor.cursorCell(), qint64(10));
    // Moving over the sequences counts cells, not bytes.
    editor.receive("\x1b[6DX\x1b[P", 0);
    QCOMPARE(shown(store), QStringLiteral("\x1b[32m>>> \x1b[0mXcccc"));
    // Colours off: the sequences are hidden and not kept.
    ConsoleText plain;
    LineEditor plainEditor(plain);
    plainEditor.receive("\x1b[1;31mred\x1b[0m", 0);
    QCOMPARE(shown(plain), QStringLiteral("red"));
}

void LineEditorTest::queriesAreAnswered()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.receive("> \x1b[6n\x1b[999C\x1b[6n\x1b[5n", 0);
    QCOMPARE(editor.takeReplies(), QByteArray("\x1b[1;3R\x1b[1;80R\x1b[0n"));
    QVERIFY(editor.takeReplies().isEmpty());
}

void LineEditorTest::oscTitleAndBell()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.receive("\x1b]0;\xf0\x9f\x90\x8d" "Done | 8.1\x1b\\\a", 0);
    QCOMPARE(editor.takeTitle(), std::optional<QString>(QStringLiteral("\U0001F40DDone | 8.1")));
    QCOMPARE(editor.takeBells(), 1);
    QCOMPARE(shown(store), QString());
}

// A recorded session: prompts, a redraw after a history recall, a wrapped
// command edited across its wrap, colours, queries.
void LineEditorTest::splitsGiveTheSameText()
{
    const QByteArray session = "\x1b[?2004h\x1b[32mbash$\x1b[0m echo hello world\b\b\b\b\bX\x1b[1@world\r\n"
                               "hello Xworld\r\n\x1b[?2004l\x1b]0;title\x07\x1b[32mbash$\x1b[0m "
                               + QByteArray(30, 'a') + "\x1b[A\x1b[5C\x1b[3P\x1b[B\x1b[K\rdone\x1b[6n\x1b[J\r\n"
                               + "\x1b[1;33mtail\x1b[0m\r";
    ConsoleText whole;
    whole.setDeviceColours(true);
    LineEditor wholeEditor(whole);
    wholeEditor.setColumns(20);
    wholeEditor.receive(session, 0);
    QRandomGenerator random(24);
    for (int round = 0; round < 200; ++round) {
        ConsoleText split;
        split.setDeviceColours(true);
        LineEditor editor(split);
        editor.setColumns(20);
        for (int at = 0; at < session.size();) {
            const int length = int(random.bounded(1, 12));
            editor.receive(session.mid(at, length), 0);
            at += length;
        }
        QCOMPARE(shown(split), shown(whole));
        QCOMPARE(editor.cursorPosition(), wholeEditor.cursorPosition());
    }
}

void LineEditorTest::randomEditsMatchARow()
{
    QRandomGenerator random(7);
    const int width = 30;
    for (int round = 0; round < 300; ++round) {
        ConsoleText store;
        LineEditor editor(store);
        editor.setColumns(width);
        RowModel model {width, {}, 0};
        for (int step = 0; step < 40; ++step) {
            const int n = int(random.bounded(1, 6));
            QByteArray bytes;
            switch (random.bounded(7)) {
            case 0:
                bytes = QByteArray(n, char('a' + random.bounded(26)));
                for (char c : bytes)
                    model.put(c);
                break;
            case 1:
                bytes = "\x1b[" + QByteArray::number(n) + 'D';
                model.cursor = std::max(0, model.cursor - n);
                break;
            case 2:
                bytes = "\x1b[" + QByteArray::number(n) + 'C';
                model.cursor = std::min(width - 1, model.cursor + n);
                model.pad();
                break;
            case 3:
                bytes = "\x1b[" + QByteArray::number(n) + 'P';
                model.cells.remove(model.cursor, n);
                break;
            case 4:
                bytes = "\x1b[" + QByteArray::number(n) + '@';
                if (model.cursor < model.cells.size())
                    model.cells = model.cells.insert(model.cursor, QByteArray(n, ' ')).left(width);
                break;
            case 5:
                bytes = "\x1b[K";
                model.cells.truncate(model.cursor);
                break;
            default:
                bytes = "\r";
                model.cursor = 0;
            }
            // Writing the last column leaves the cursor there: keep the model
            // off that corner, where the next character would wrap.
            if (model.cells.size() >= width)
                break;
            editor.receive(bytes, 0);
            QCOMPARE(store.mid(0, store.size()), model.cells);
            QCOMPARE(editor.cursorCell(), qint64(model.cursor));
        }
    }
}

void LineEditorTest::editsLeaveTheLinesAboveAndTheirTimes()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.receive("first\r\n", 100);
    editor.receive("second line", 200);
    editor.receive("\r\x1b[Knew", 300);
    QCOMPARE(shown(store), QStringLiteral("first\nnew"));
    QCOMPARE(store.lineTime(0), std::optional<qint64>(100));
    QCOMPARE(store.lineTime(1), std::optional<qint64>(200));
    QCOMPARE(editor.rewrittenFrom(), qint64(6));
    editor.receive("\r\nthird", 400);
    QCOMPARE(store.lineTime(2), std::optional<qint64>(400));
}

void LineEditorTest::userDeleteResynchronises()
{
    ConsoleText store;
    LineEditor editor(store);
    editor.receive("abcdef\x1b[3D", 0);
    store.remove(1, 3);
    editor.receive("X", 0);
    QCOMPARE(shown(store), QStringLiteral("adefX"));
}

QTEST_GUILESS_MAIN(LineEditorTest)
#include "tst_lineeditor.moc"
