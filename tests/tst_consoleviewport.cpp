#include "consolerows.h"
#include "consoletext.h"
#include "consoleviewport.h"

#include <QtTest>

using Selection = std::pair<qint64, qint64>;

namespace {

// Four cells a row. Rows: "abcd" "efgh" "ij" | mark | "xy".
struct Screen
{
    Screen(const QByteArray &first, const QByteArray &second = {})
    {
        text.append(first, 0);
        if (!second.isEmpty()) {
            text.addMark(QTime(12, 0));
            text.append(second, 0);
        }
        rows.setColumns(text, 4);
    }
    ConsoleText text;
    ConsoleRows rows;
    ConsoleViewport view {text, rows};
};

} // namespace

class ConsoleViewportTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndPositions_data();
    void rowsAndPositions();
    void hitTest_data();
    void hitTest();
    void doubleClickSelectsAWord_data();
    void doubleClickSelectsAWord();
    void erasedTextLeavesTheSelection_data();
    void erasedTextLeavesTheSelection();
    void outputPullsToTheEnd_data();
    void outputPullsToTheEnd();
    void caretFollowsTheText_data();
    void caretFollowsTheText();
};

void ConsoleViewportTest::rowsAndPositions_data()
{
    QTest::addColumn<qint64>("row");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<bool>("isMark");
    QTest::addColumn<qint64>("position");
    QTest::newRow("first") << qint64(0) << qint64(0) << false << qint64(0);
    QTest::newRow("wrapped") << qint64(2) << qint64(0) << false << qint64(8);
    QTest::newRow("mark stands for the next line") << qint64(3) << qint64(1) << true << qint64(11);
    QTest::newRow("after the mark") << qint64(4) << qint64(1) << false << qint64(11);
}

void ConsoleViewportTest::rowsAndPositions()
{
    QFETCH(qint64, row);
    QFETCH(qint64, line);
    QFETCH(bool, isMark);
    QFETCH(qint64, position);
    Screen screen("abcdefghij", "xy");
    const ConsoleViewport::RowPlace place = screen.view.placeOfRow(row);
    QCOMPARE(place.line, line);
    QCOMPARE(place.isMark(), isMark);
    QCOMPARE(screen.view.positionOfRow(row), position);
    if (!isMark)
        QCOMPARE(screen.view.rowOfPosition(position + 1), row);
    QCOMPARE(screen.view.positionOfRow(screen.rows.rowCount()), screen.text.size());
}

void ConsoleViewportTest::hitTest_data()
{
    QTest::addColumn<qint64>("row");
    QTest::addColumn<qreal>("x");
    QTest::addColumn<qint64>("position");
    QTest::newRow("left half of a cell") << qint64(0) << 14.0 << qint64(1);
    QTest::newRow("right half of a cell") << qint64(0) << 16.0 << qint64(2);
    QTest::newRow("past a full row") << qint64(0) << 100.0 << qint64(4);
    // The sequence before 'f' is not drawn: the cell after 'e' is 'f'.
    QTest::newRow("over a hidden sequence") << qint64(1) << 16.0 << qint64(10);
    QTest::newRow("past the text") << qint64(9) << 0.0 << qint64(12);
}

void ConsoleViewportTest::hitTest()
{
    QFETCH(qint64, row);
    QFETCH(qreal, x);
    QFETCH(qint64, position);
    Screen screen("abcde\x1b[1mfgh");
    screen.text.setDeviceColours(true);
    screen.rows.setColumns(screen.text, 4);
    QCOMPARE(screen.view.positionAt(row, x, 10), position);
}

void ConsoleViewportTest::doubleClickSelectsAWord_data()
{
    QTest::addColumn<qint64>("at");
    QTest::addColumn<Selection>("selection");
    QTest::newRow("letters and underscore") << qint64(1) << Selection(0, 5);
    QTest::newRow("a space alone") << qint64(5) << Selection(5, 6);
    QTest::newRow("stops at a hidden sequence") << qint64(7) << Selection(6, 8);
    QTest::newRow("past the end") << qint64(30) << Selection(20, 20);
}

void ConsoleViewportTest::doubleClickSelectsAWord()
{
    QFETCH(qint64, at);
    QFETCH(Selection, selection);
    Screen screen("ab_cd ef\x1b[31mgh\x1b[0m.");
    screen.text.setDeviceColours(true);
    screen.view.selectWordAt(at);
    QCOMPARE(screen.view.selection(), selection);
}

void ConsoleViewportTest::erasedTextLeavesTheSelection_data()
{
    QTest::addColumn<QByteArray>("beforeMark");
    QTest::addColumn<QByteArray>("afterMark");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<Selection>("selection");
    const QByteArray none;
    QTest::newRow("no backspace") << QByteArray("abcdefghij") << none << false << QByteArray("xy") << Selection(2, 8);
    QTest::newRow("into the selection") << QByteArray("abcdefghij") << none << false << QByteArray("\b\b\bXYZ")
                                        << Selection(2, 7);
    QTest::newRow("past its start") << QByteArray("abcdefghij") << none << false << QByteArray(9, '\b')
                                    << Selection(1, 1);
    // \u20ac is three bytes, and one backspace takes them all.
    QTest::newRow("a whole UTF-8 character") << QByteArray("abcdefg\xe2\x82\xac") << none << true << QByteArray("\b")
                                             << Selection(2, 7);
    // Backspaces stop at the mark after "abcdefg\n", so the selection does too.
    QTest::newRow("not past a mark") << QByteArray("abcdefg") << QByteArray("ij") << false << QByteArray(5, '\b')
                                     << Selection(2, 8);
}

void ConsoleViewportTest::erasedTextLeavesTheSelection()
{
    QFETCH(QByteArray, beforeMark);
    QFETCH(QByteArray, afterMark);
    QFETCH(bool, utf8);
    QFETCH(QByteArray, batch);
    QFETCH(Selection, selection);
    Screen screen(beforeMark, afterMark);
    screen.text.setUtf8(utf8);
    screen.view.select(8, 2);
    screen.view.keepSelectionBefore(screen.text.append(batch, 0));
    QCOMPARE(screen.view.selection(), selection);
}

void ConsoleViewportTest::outputPullsToTheEnd_data()
{
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<bool>("findOpen");
    QTest::addColumn<bool>("pinnedAfter");
    QTest::newRow("following") << true << false << false << true;
    QTest::newRow("scrolled up") << false << false << false << true;
    QTest::newRow("held") << true << true << false << false;
    QTest::newRow("find open") << false << false << true << false;
    QTest::newRow("find open at the end") << true << false << true << true;
}

void ConsoleViewportTest::outputPullsToTheEnd()
{
    QFETCH(bool, pinned);
    QFETCH(bool, hold);
    QFETCH(bool, findOpen);
    QFETCH(bool, pinnedAfter);
    Screen screen("one\ntwo\nthree\nfour\n");
    screen.view.setFindOpen(findOpen, true);
    screen.view.setHold(hold);
    screen.view.setPinned(pinned);
    screen.view.outputArrived();
    QCOMPARE(screen.view.pinned(), pinnedAfter);
    // Rows: one two three four and the empty last line; two on screen.
    QCOMPARE(screen.view.linesBelow(0, 2), qint64(2));
    QCOMPARE(screen.view.linesBelow(3, 2), qint64(0));
}

void ConsoleViewportTest::caretFollowsTheText_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("column");
    QTest::newRow("no mark") << QByteArray("abcdefghij") << QByteArray() << 2;
    QTest::newRow("prompt after a mark") << QByteArray("abcdefghij") << QByteArray("xy") << 2;
    QTest::newRow("wrapped after a mark") << QByteArray("ab") << QByteArray("vwxyz") << 1;
    QTest::newRow("full row after a mark") << QByteArray("ab\n") << QByteArray("wxyz") << 4;
}

// Four cells a row; a mark stands between `before` and `after` when the
// latter holds anything.
void ConsoleViewportTest::caretFollowsTheText()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, column);
    Screen screen(before, after);
    QCOMPARE(screen.view.caretColumn(), column);
}

QTEST_MAIN(ConsoleViewportTest)
#include "tst_consoleviewport.moc"
