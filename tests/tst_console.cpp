#include "consoleexport.h"
#include "consolemodel.h"
#include "consolerows.h"
#include "consoletext.h"
#include "largeselection.h"
#include "linetimelabel.h"
#include "receivedtext.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

// The console: every key press and paste becomes one keyInput() and never
// edits the text; received bytes are shown with the console's byte rules.
class ConsoleTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void byteRules_data();
    void byteRules();
    void displayData_data();
    void displayData();
    void randomBatchesMatchTheModel();
    void batchesShownTogetherMatchTheModel();
    void crAndLfSplitAcrossBatchesMakeOneBreak();
    void lfAfterClearedCrStartsANewLine();
    void nulOnlyBatchStillScrollsToBottom();
    void anySplitShowsWhatOneBatchShows();
    void largeTextMatchesTheModel();
    void storeMatchesTheModel_data();
    void storeMatchesTheModel();
    void marksStandApartFromTheText();
    void deleteMovesAMarkAcrossChunks();
    void gutterShowsWhenBatchesArrived();
    void sessionsEndTheirLinesInTheText();
    void lineTimeLabels_data();
    void lineTimeLabels();
    void gutterMovesTheTextOnly();
    void rows_data();
    void rows();
    void scrollRangeCountsRows();
    void keyBringsTheViewToTheBottom();
    void shiftPageKeysScrollBack_data();
    void shiftPageKeysScrollBack();
    void heldOutputStaysPut();
    void mouseSelects();
    void erasedTextLeavesTheSelection_data();
    void erasedTextLeavesTheSelection();
    void largeSelectionGoesToTheSaver_data();
    void largeSelectionGoesToTheSaver();
    void controlBytesAreDimmedDigits_data();
    void controlBytesAreDimmedDigits();
    void caretShowsWhileActive();
    void contextMenuActsOnTheSelection();
    void htmlIsEscaped();
    void keyPressesAreReportedNotEdited_data();
    void keyPressesAreReportedNotEdited();
    void tabKeepsFocus();
    void pasteIsOneReport();
    void middleClickPastesThePrimarySelection();
    void dropChangesNothing();
};

void ConsoleTest::byteRules_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<bool>("afterCr");
    QTest::addColumn<int>("erasures");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("nul dropped") << QByteArray("A\0B", 3) << false << 0 << QByteArray("AB");
    QTest::newRow("backspace takes back the batch") << QByteArray("AB\bD") << false << 0 << QByteArray("AD");
    QTest::newRow("leading backspaces reach the screen") << QByteArray("\b\bX") << false << 2 << QByteArray("X");
    QTest::newRow("backspace beyond the batch") << QByteArray("A\b\bX") << false << 1 << QByteArray("X");
    QTest::newRow("nul between backspaces") << QByteArray("A\0\b\b", 4) << false << 1 << QByteArray();
    QTest::newRow("lf after cr completes the break") << QByteArray("\nX") << true << 0 << QByteArray("X");
    QTest::newRow("nuls before that lf don't count") << QByteArray("\0\0\nX", 4) << true << 0 << QByteArray("X");
    QTest::newRow("only the opening lf") << QByteArray("\n\n") << true << 0 << QByteArray("\n");
    QTest::newRow("backspace takes back that lf") << QByteArray("\n\bX") << true << 0 << QByteArray("X");
    QTest::newRow("lf without a cr before") << QByteArray("\nX") << false << 0 << QByteArray("\nX");
    QTest::newRow("lf after other bytes") << QByteArray("X\n") << true << 0 << QByteArray("X\n");
    QTest::newRow("control bytes kept") << QByteArray("\t\x1b\x07") << false << 0 << QByteArray("\t\x1b\x07");
}

void ConsoleTest::byteRules()
{
    QFETCH(QByteArray, batch);
    QFETCH(bool, afterCr);
    const ReceivedText received = ReceivedText::fromBatch(batch, afterCr);
    QTEST(received.screenErasures, "erasures");
    QTEST(received.bytes, "bytes");
}

void ConsoleTest::displayData_data()
{
    QTest::addColumn<QList<QByteArray>>("batches");
    QTest::addColumn<QString>("text");

    using Batches = QList<QByteArray>;
    QTest::newRow("nul only") << Batches {QByteArray("\0\0", 2)} << QString();
    QTest::newRow("A nul B backspace D") << Batches {QByteArray("A\0B\bD", 5)} << QStringLiteral("AD");
    QTest::newRow("leading backspaces eat the screen")
        << Batches {"hello", "\b\bp!"} << QStringLiteral("help!");
    QTest::newRow("backspace joins lines") << Batches {"one\n", "\btwo"} << QStringLiteral("onetwo");
    QTest::newRow("backspace on an empty console") << Batches {"\b\bok"} << QStringLiteral("ok");
    QTest::newRow("cr lf in one batch") << Batches {"a\r\nb"} << QStringLiteral("a\nb");
    QTest::newRow("lone cr and lone lf") << Batches {"a\rb\nc"} << QStringLiteral("a\nb\nc");
    QTest::newRow("cr and lf across batches") << Batches {"a\r", "\nb"} << QStringLiteral("a\nb");
    QTest::newRow("cr, nul batch, lf") << Batches {"a\r", QByteArray("\0", 1), "\nb"} << QStringLiteral("a\nb");
    QTest::newRow("cr erased, then lf") << Batches {"a\r", "\b", "\nb"} << QStringLiteral("a\nb");
    QTest::newRow("cr, then lf taken back") << Batches {"a\r", "\n\bb"} << QStringLiteral("a\nb");
    QTest::newRow("two lfs after cr") << Batches {"a\r", "\n\nb"} << QStringLiteral("a\n\nb");
    QTest::newRow("latin-1") << Batches {"\xe9\xff\x80"} << QString::fromLatin1("\xe9\xff\x80");
}

void ConsoleTest::displayData()
{
    QFETCH(QList<QByteArray>, batches);
    ZIvidView view;
    for (const QByteArray &batch : batches)
        view.displayData(batch);
    QTEST(view.toPlainText(), "text");
}

void ConsoleTest::randomBatchesMatchTheModel()
{
    // Few distinct bytes, so that line breaks, NULs and backspaces meet often.
    const QByteArray alphabet("\0\b\r\nab\xe9", 7);
    QRandomGenerator random(20261207);
    for (int round = 0; round < 200; ++round) {
        ZIvidView view;
        ConsoleModel model;
        for (int b = 0; b < 8; ++b) {
            QByteArray batch;
            const int size = random.bounded(6);
            for (int i = 0; i < size; ++i)
                batch += alphabet.at(random.bounded(alphabet.size()));
            view.displayData(batch);
            model.addBatch(batch);
            if (random.bounded(20) == 0) {
                view.clear();
                model.clear();
            }
        }
        QCOMPARE(view.toPlainText(), model.text());
    }
}

// The receive path hands the console several batches at once under load; the
// text must be what one displayData() per batch would have made.
void ConsoleTest::batchesShownTogetherMatchTheModel()
{
    const QByteArray alphabet("\0\b\r\nab\xe9", 7);
    QRandomGenerator random(20240611);
    for (int round = 0; round < 300; ++round) {
        ZIvidView view;
        ConsoleModel model;
        for (int group = 0; group < 5; ++group) {
            QList<QByteArray> batches;
            const int count = random.bounded(5);
            for (int b = 0; b < count; ++b) {
                QByteArray batch;
                const int size = random.bounded(5);
                for (int i = 0; i < size; ++i)
                    batch += alphabet.at(random.bounded(alphabet.size()));
                batches.append(batch);
                model.addBatch(batch);
            }
            view.displayBatches(batches);
        }
        QCOMPARE(view.toPlainText(), model.text());
    }
}

void ConsoleTest::crAndLfSplitAcrossBatchesMakeOneBreak()
{
    ZIvidView joined;
    joined.displayData("line 1\r\nline 2\r\n");
    ZIvidView split;
    split.displayData("line 1\r");
    split.displayData("\nline 2\r");
    split.displayData("\n");
    QCOMPARE(split.toPlainText(), joined.toPlainText());
    QCOMPARE(split.toPlainText().count(QLatin1Char('\n')), 2);
}

void ConsoleTest::lfAfterClearedCrStartsANewLine()
{
    ZIvidView view;
    view.displayData("a\r");
    view.clear();
    view.displayData("\nb");
    QCOMPARE(view.toPlainText(), QStringLiteral("\nb"));
}

void ConsoleTest::nulOnlyBatchStillScrollsToBottom()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + QByteArray::number(i) + "\n";
    view.displayData(lines);
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    bar->setValue(0);
    const QString before = view.toPlainText();
    view.displayData(QByteArray(3, '\0'));
    QCOMPARE(view.toPlainText(), before);
    QTRY_COMPARE(bar->value(), bar->maximum());
}

// Without backspaces, where the batches split the bytes makes no difference.
void ConsoleTest::anySplitShowsWhatOneBatchShows()
{
    const QByteArray alphabet("\0\r\na", 4);
    QRandomGenerator random(20261207);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        for (int i = random.bounded(12); i > 0; --i)
            bytes += alphabet.at(random.bounded(alphabet.size()));
        ConsoleText whole;
        whole.append(bytes);
        ConsoleModel wholeModel;
        wholeModel.addBatch(bytes);
        ConsoleText split;
        ConsoleModel splitModel;
        for (int at = 0; at < bytes.size();) {
            const QByteArray batch = bytes.mid(at, 1 + random.bounded(3));
            split.append(batch);
            splitModel.addBatch(batch);
            at += batch.size();
        }
        QCOMPARE(ConsoleExport::toPlainText(split), ConsoleExport::toPlainText(whole));
        QCOMPARE(splitModel.text(), wholeModel.text());
        QCOMPARE(ConsoleExport::toPlainText(whole), wholeModel.text());
    }
}

// Megabytes, so that the store's memory runs into several pieces; the
// backspaces come in bursts that reach back across where one piece ends.
void ConsoleTest::largeTextMatchesTheModel()
{
    const QByteArray alphabet("\0\r\n\tabc\xe9", 8);
    QRandomGenerator random(99);
    ConsoleText text;
    ConsoleModel model;
    while (model.text().size() < 5 * 1024 * 1024) {
        QByteArray batch(random.bounded(64 * 1024), Qt::Uninitialized);
        for (char &byte : batch)
            byte = alphabet.at(random.bounded(alphabet.size()));
        if (random.bounded(4) == 0)
            batch.prepend(QByteArray(random.bounded(20000), '\b'));
        text.append(batch);
        model.addBatch(batch);
    }
    QCOMPARE(ConsoleExport::toPlainText(text), model.text());
    QCOMPARE(text.lineCount(), model.text().count(QLatin1Char('\n')) + 1);

    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(ConsoleExport::writePlainText(text, &buffer));
    QCOMPARE(written, model.text().toLatin1());

    // Cut across the end of the first piece.
    const qint64 from = 2 * 1024 * 1024 - 1000;
    text.remove(from, from + 5000);
    QCOMPARE(ConsoleExport::toPlainText(text), model.text().remove(int(from), 5000));
    QCOMPARE(text.lineOf(from), model.text().left(int(from)).count(QLatin1Char('\n')));
}

namespace {

// Where every row starts, laid out from the model's text alone: lines start
// after each break and at each mark, marks take a row each before their line.
struct Row
{
    qint64 line;
    qint64 start; // -1 for a mark's row
    bool operator==(const Row &other) const { return line == other.line && start == other.start; }
};

QVector<Row> modelRows(const QByteArray &text, const QList<int> &marks, int columns)
{
    QVector<qint64> starts {0};
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\n')
            starts.append(i + 1);
    }
    for (int mark : marks)
        starts.append(mark);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    QVector<Row> rows;
    for (int line = 0; line < starts.size(); ++line) {
        const qint64 start = starts.at(line);
        qint64 end = line + 1 < starts.size() ? starts.at(line + 1) : text.size();
        if (end > start && text.at(int(end - 1)) == '\n')
            --end;
        for (int mark : marks) {
            if (mark == start)
                rows.append({line, -1});
        }
        rows.append({line, start});
        int column = 0;
        for (qint64 i = start; i < end; ++i) {
            if (column >= columns) {
                rows.append({line, i});
                column = 0;
            }
            column = text.at(int(i)) == '\t' ? qMin((column / 8 + 1) * 8, columns) : column + 1;
        }
    }
    return rows;
}

QVector<Row> shownRows(const ConsoleText &text, const ConsoleRows &rows)
{
    QVector<Row> shown;
    for (qint64 row = 0; row < rows.rowCount(); ++row) {
        qint64 rowInLine = -1;
        const qint64 line = rows.lineOfRow(row, &rowInLine);
        const int marks = text.marksBefore(line);
        const qint64 start = text.lineStart(line);
        shown.append({line, rowInLine < marks ? -1 : start + rows.rowOffset(text, line, rowInLine - marks)});
        if (rowInLine == 0 && rows.firstRowOf(line) != row)
            shown.append({-1, -1});
    }
    return shown;
}

} // namespace

// Small chunks, so that batches, backspaces, Deletes and marks meet chunk
// ends all the time; the rows, kept up to date step by step, are held
// against a layout of the model's text.
void ConsoleTest::storeMatchesTheModel_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<int>("columns");
    QTest::newRow("16-byte chunks, 5 columns") << 16 << 5;
    QTest::newRow("64-byte chunks, 9 columns") << 64 << 9;
    QTest::newRow("4 KiB chunks, 80 columns") << 4096 << 80;
}

void ConsoleTest::storeMatchesTheModel()
{
    QFETCH(int, chunkSize);
    QFETCH(int, columns);
    const QByteArray alphabet("\0\b\r\n\tab\xe9", 8);
    QRandomGenerator random(quint32(chunkSize * 31 + columns));
    for (int round = 0; round < 150; ++round) {
        ConsoleText text(chunkSize);
        ConsoleRows rows;
        rows.setColumns(text, columns);
        ConsoleModel model;
        for (int step = 0; step < 80; ++step) {
            const int action = random.bounded(20);
            const int size = model.text().size();
            if (action < 3 && size > 0) {
                const int from = random.bounded(size);
                const int to = from + random.bounded(std::min(size - from, action == 0 ? 400 : 20) + 1);
                text.remove(from, to);
                model.remove(from, to);
            } else if (action < 6) {
                text.addMark(QTime(12, 0, step % 60));
                model.addMark();
            } else if (action == 6 && random.bounded(10) == 0) {
                text.clear();
                model.clear();
            } else {
                QByteArray batch;
                for (int i = random.bounded(action == 7 ? 300 : 24); i > 0; --i)
                    batch += alphabet.at(random.bounded(alphabet.size()));
                // Two steps to a millisecond: lines that share one.
                text.append(batch, 1000 + step / 2);
                model.addBatch(batch, 1000 + step / 2);
            }
            // Rows brought up to date now and then: changes pile up between.
            if (random.bounded(3) > 0)
                rows.update(text);
        }
        rows.update(text);
        const QByteArray expected = model.text().toLatin1();
        QCOMPARE(ConsoleExport::toPlainText(text), model.text());
        QCOMPARE(shownRows(text, rows), modelRows(expected, model.marks(), columns));
        QList<qint64> times;
        for (qint64 line = 0; line < text.lineCount(); ++line) {
            if (const std::optional<qint64> time = text.lineTime(line))
                times.append(*time);
        }
        QCOMPARE(times, model.lineTimes());
        const int from = random.bounded(expected.size() + 1);
        const int to = from + random.bounded(expected.size() - from + 1);
        QByteArray written;
        QBuffer buffer(&written);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(ConsoleExport::writePlainText(text, &buffer, from, to));
        QCOMPARE(written, expected.mid(from, to - from));
        for (qint64 position = 0; position <= text.size(); position += 1 + random.bounded(7)) {
            const qint64 line = text.lineOf(position);
            QVERIFY(text.lineStart(line) <= position);
            QVERIFY(line + 1 == text.lineCount() || text.lineStart(line + 1) > position);
        }
    }
}

// A mark moved to where a chunk starts is found there by the next Delete.
void ConsoleTest::deleteMovesAMarkAcrossChunks()
{
    ConsoleText text(16);
    text.append("abcdefghijkl");
    text.addMark(QTime(1, 2, 3));
    text.append("mnopqr");
    text.addMark(QTime(1, 2, 4));
    text.append("stuvwxyzABCDEF");
    text.remove(16, 20);
    text.remove(10, 16);
    QCOMPARE(ConsoleExport::toPlainText(text), QStringLiteral("abcdefghijstuvwxyzABCDEF"));
    QCOMPARE(text.lineCount(), qint64(2));
    QCOMPARE(text.lineStart(1), qint64(10));
    QCOMPARE(text.marksBefore(1), 2);
}

void ConsoleTest::marksStandApartFromTheText()
{
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    view.displayData(QByteArray("line\n").repeated(20) + "half");
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    const int maximum = bar->maximum();
    view.markDisconnected(QTime(10, 20, 30));
    view.displayData("\b\b\b\b\b\bX");
    QCOMPARE(view.toPlainText(), QString(QByteArray("line\n").repeated(20) + "half\nX"));
    // The mark's row, and "X" on a row of its own after it.
    QTRY_COMPARE(bar->maximum(), maximum + 2);
    view.selectAll();
    QCOMPARE(view.selectedText(), view.toPlainText());
    view.clear();
    view.displayData("ab\b\bc");
    QCOMPARE(view.toPlainText(), QStringLiteral("c"));
}

static qint64 atClock(int second, int msec)
{
    return QDateTime(QDate(2024, 5, 6), QTime(9, 0, second, msec)).toMSecsSinceEpoch();
}

// Batches shown together keep the times they arrived at; a line's time is
// that of its first character.
void ConsoleTest::gutterShowsWhenBatchesArrived()
{
    ZIvidView view;
    view.setTimestampMode(TimestampMode::Clock);
    view.displayBatches({"one\ntw", "o\n", "thr", "ee\n"}, {atClock(1, 7), atClock(2, 0), atClock(3, 999), 0});
    const QStringList labels {view.timestampLabel(0), view.timestampLabel(1), view.timestampLabel(2),
                              view.timestampLabel(3)};
    QCOMPARE(labels, QStringList({"09:00:01.007", "09:00:01.007", "09:00:03.999", QString()}));
}

// A session that left a line unfinished: the next one's text is a line
// of its own in copies, captures and Find, with a time of its own.
void ConsoleTest::sessionsEndTheirLinesInTheText()
{
    ZIvidView view;
    view.setTimestampMode(TimestampMode::Clock);
    view.displayData("abc", atClock(1, 0));
    view.markDisconnected(QTime(9, 0, 1));
    view.displayData("def\r\n", atClock(2, 0));
    view.selectAll();
    QCOMPARE(view.selectedText(), QStringLiteral("abc\ndef\n"));
    const QByteArray timed = "09:00:01.000 abc\n09:00:02.000 def\n";
    QByteArray capture;
    QBuffer buffer(&capture);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(view.writePlainText(&buffer));
    QCOMPARE(capture, timed);
    capture.clear();
    buffer.seek(0);
    QVERIFY(view.writeHtml(&buffer));
    QVERIFY2(capture.contains("<pre>\n" + timed + "</pre>"), capture.constData());

    QSignalSpy found(view.search(), &TextSearch::found);
    view.search()->setPattern(QStringLiteral("c\nd"), Qt::CaseSensitive);
    view.search()->findForward(0);
    QTRY_COMPARE(found.count(), 1);
    QCOMPARE(found.first().first().toLongLong(), qint64(2));
}

// Long gaps, and a clock set back, within the gutter's width.
void ConsoleTest::lineTimeLabels_data()
{
    QTest::addColumn<qint64>("gap");
    QTest::addColumn<QString>("label");
    QTest::newRow("a day and more") << qint64(((24 + 2) * 60 + 3) * 60 + 4) * 1000 << "+1d02:03:04";
    QTest::newRow("past 99 days") << qint64(150) * 24 * 3600 * 1000 << "+150d";
    QTest::newRow("clock set back") << qint64(-2500) << "-2.500";
}

void ConsoleTest::lineTimeLabels()
{
    QFETCH(qint64, gap);
    const QString label = lineTimeLabel(TimestampMode::SincePrevious, atClock(5, 0), atClock(5, 0) - gap);
    QTEST(label, "label");
    QVERIFY(label.size() <= lineTimeLabelWidth);
}

// With the gutter off, not a pixel moves; with it on, the mouse still
// finds the characters it points at.
void ConsoleTest::gutterMovesTheTextOnly()
{
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    view.displayData("hello world\nsecond line");
    QCoreApplication::processEvents();
    const QImage before = view.viewport()->grab().toImage();
    view.setTimestampMode(TimestampMode::Clock);
    QVERIFY(view.viewport()->grab().toImage() != before);
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('M'));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(qRound(4 + (lineTimeLabelWidth + 1 + 8.3) * cell), qCeil(metrics.height()) / 2));
    QCOMPARE(view.selectedText(), QStringLiteral("world"));
    view.setTimestampMode(TimestampMode::Off);
    QTest::mouseClick(view.viewport(), Qt::LeftButton);
    QCOMPARE(view.viewport()->grab().toImage(), before);
}

void ConsoleTest::rows_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QList<qint64>>("rowStarts"); // text positions, one per row

    using Starts = QList<qint64>;
    QTest::newRow("empty") << QByteArray() << 4 << Starts {0};
    QTest::newRow("wrap inside a word") << QByteArray("abcdefghij") << 4 << Starts {0, 4, 8};
    QTest::newRow("exactly full") << QByteArray("abcd\nef") << 4 << Starts {0, 5};
    QTest::newRow("empty lines") << QByteArray("\n\nab") << 4 << Starts {0, 1, 2};
    QTest::newRow("tab to the next stop") << QByteArray("a\tbcdefghij") << 10 << Starts {0, 4};
    QTest::newRow("tab at the edge ends the row") << QByteArray("abcdefgh\tij") << 10 << Starts {0, 9};
    QTest::newRow("tab filling a row") << QByteArray("abcd\tx") << 4 << Starts {0, 4, 5};
}

void ConsoleTest::rows()
{
    QFETCH(QByteArray, text);
    QFETCH(int, columns);
    QFETCH(QList<qint64>, rowStarts);

    ConsoleText console;
    ConsoleRows rows;
    rows.setColumns(console, columns);
    // Grown a byte at a time, so that updates of the last line count too.
    for (char byte : text) {
        console.append(QByteArray(1, byte));
        rows.update(console);
    }
    QCOMPARE(rows.rowCount(), rowStarts.size());
    for (int row = 0; row < rowStarts.size(); ++row) {
        qint64 rowInLine = -1;
        const qint64 line = rows.lineOfRow(row, &rowInLine);
        QCOMPARE(console.lineStart(line) + rows.rowOffset(console, line, rowInLine), rowStarts.at(row));
        QCOMPARE(rows.firstRowOf(line) + rowInLine, qint64(row));
    }
    ConsoleRows fresh;
    fresh.setColumns(console, columns);
    QCOMPARE(shownRows(console, fresh), shownRows(console, rows));
    QCOMPARE(fresh.rowCount(), rows.rowCount());
}

void ConsoleTest::scrollRangeCountsRows()
{
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    view.displayData(QByteArray("line\n").repeated(100));
    const int lineHeight = qCeil(QFontMetricsF(view.drawingFont(), view.viewport()).height());
    QScrollBar *bar = view.verticalScrollBar();
    // 101 rows, the last one empty; at the end the last row is whole.
    QTRY_COMPARE(bar->maximum(), 101 - view.viewport()->height() / lineHeight);
    QCOMPARE(bar->value(), bar->maximum());
}

void ConsoleTest::keyBringsTheViewToTheBottom()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    view.displayData(QByteArray("line\n").repeated(50));
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    bar->setValue(0);
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    connect(&view, &ZIvidView::keyInput, this, [bar] { QCOMPARE(bar->value(), bar->maximum()); });
    QTest::keyClick(&view, Qt::Key_X);
    QCOMPARE(spy.count(), 1);
}

void ConsoleTest::shiftPageKeysScrollBack_data()
{
    QTest::addColumn<bool>("terminalKeys");
    QTest::newRow("terminal keys off") << false;
    QTest::newRow("terminal keys on") << true;
}

// They page through the scrollback and send nothing; the Shift pressed
// for each leaves the view where it is.
void ConsoleTest::shiftPageKeysScrollBack()
{
    QFETCH(bool, terminalKeys);
    ZIvidView view;
    view.setTerminalShortcuts(terminalKeys);
    view.resize(300, 120);
    view.show();
    view.displayData(QByteArray("line\n").repeated(50));
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 2 * bar->pageStep());
    const int end = bar->maximum();
    QCOMPARE(bar->value(), end);
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    QTest::keyClick(&view, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(bar->value(), end - bar->pageStep());
    QTest::keyClick(&view, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(&view, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(bar->value(), bar->pageStep());
    QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(bar->value(), end);
    for (const QList<QVariant> &report : qAsConst(spy))
        QCOMPARE(report.at(0).toInt(), int(Qt::Key_Shift));
}

// Held, the view stays on the rows it shows, even at the end, and the
// marker counts the lines below them; a key press, the marker and letting
// go each return to the end.
void ConsoleTest::heldOutputStaysPut()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    view.displayData(QByteArray("line\n").repeated(50));
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    view.setHoldOutput(true);
    auto *marker = view.findChild<QToolButton *>(QStringLiteral("holdMarker"));
    QVERIFY(marker);

    const int end = bar->value();
    QCOMPARE(end, bar->maximum());
    view.displayData(QByteArray("more\n").repeated(7));
    QTRY_VERIFY(bar->maximum() > end);
    QCOMPARE(bar->value(), end);
    // The first new line took the empty last row that was on screen.
    QCOMPARE(view.linesBelow(), 6);
    QVERIFY(marker->isVisible());
    QVERIFY(marker->text().startsWith(QLatin1String("6 lines")));

    bar->setValue(0);
    view.displayData("x");
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    marker->click();
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(view.linesBelow(), 0);
    QVERIFY(!marker->isVisible());

    bar->setValue(3);
    QTest::keyClick(&view, Qt::Key_X);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(3);
    view.setHoldOutput(false);
    QTRY_COMPARE(bar->value(), bar->maximum());
    view.displayData(QByteArray("after\n").repeated(5));
    QTRY_COMPARE(bar->value(), bar->maximum());
    QVERIFY(!marker->isVisible());
}

void ConsoleTest::mouseSelects()
{
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    view.displayData("hello world\nsecond line");
    QCoreApplication::processEvents();
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('M'));
    const int lineHeight = qCeil(metrics.height());
    const auto at = [&](int column, int row) {
        return QPoint(qRound(4 + (column + 0.3) * cell), row * lineHeight + lineHeight / 2);
    };
    QWidget *viewport = view.viewport();

    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at(8, 0));
    QCOMPARE(view.selectedText(), QStringLiteral("world"));

    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at(6, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(6, 1));
    QCOMPARE(view.selectedText(), QStringLiteral("world\nsecond"));

    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at(1, 1));
    QMouseEvent drag(QEvent::MouseMove, at(4, 1), viewport->mapToGlobal(at(4, 1)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &drag);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at(4, 1));
    QCOMPARE(view.selectedText(), QStringLiteral("eco"));
}

// Where a press, a drag and a release over columns of the first row select.
static void selectColumns(ZIvidView &view, int from, int to)
{
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const auto at = [&](int column) {
        return QPoint(qRound(4 + (column + 0.3) * metrics.horizontalAdvance(QLatin1Char('M'))),
                      qCeil(metrics.height()) / 2);
    };
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(from));
    QMouseEvent drag(QEvent::MouseMove, at(to), view.viewport()->mapToGlobal(at(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drag);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(to));
}

void ConsoleTest::erasedTextLeavesTheSelection_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QString>("selected");

    const QByteArray rewrite = QByteArray(8, '\b') + "0123456789";
    QTest::newRow("erased and written over") << 5 << 10 << rewrite << QString();
    QTest::newRow("partly erased") << 1 << 4 << rewrite << QStringLiteral("b");
    QTest::newRow("erased after it") << 1 << 4 << QByteArray("\b\b\bXYZ") << QStringLiteral("bcd");
    QTest::newRow("backspaces within the batch") << 5 << 10 << QByteArray("XY\b\b") << QStringLiteral("fghij");
}

// The selection never moves onto text it did not cover.
void ConsoleTest::erasedTextLeavesTheSelection()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QByteArray, batch);
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    view.displayData("abcdefghij");
    QCoreApplication::processEvents();
    selectColumns(view, from, to);
    QCOMPARE(view.selectedText(), QString::fromLatin1("abcdefghij").mid(from, to - from));
    view.displayData(batch);
    QTEST(view.selectedText(), "selected");
}

void ConsoleTest::largeSelectionGoesToTheSaver_data()
{
    QTest::addColumn<int>("saver");
    QTest::addColumn<bool>("cutDeletes");
    QTest::newRow("none installed") << 0 << false;
    QTest::newRow("not saved") << 1 << false;
    QTest::newRow("saved") << 2 << true;
}

// Past the limit the clipboard keeps what it had and the selection goes to
// the saver, given its size; Cut deletes it only when it was saved.
void ConsoleTest::largeSelectionGoesToTheSaver()
{
    QFETCH(int, saver);
    QFETCH(bool, cutDeletes);
    ZIvidView view;
    const QByteArray text = selectMoreThanTheClipboardTakes(view);
    QList<qint64> asked;
    if (saver > 0) {
        view.setLargeSelectionSaver([&asked, saver](qint64 size, const std::function<void()> &saved) {
            asked << size;
            if (saver == 2)
                saved();
        });
    }
    view.cut();
    QCOMPARE(asked, saver > 0 ? QList<qint64>({text.size()}) : QList<qint64>());
    QCOMPARE(view.textSize(), cutDeletes ? qint64(0) : qint64(text.size()));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void ConsoleTest::controlBytesAreDimmedDigits_data()
{
    QTest::addColumn<QByteArray>("byte");
    QTest::newRow("escape") << QByteArray("\x1b");
    QTest::newRow("delete") << QByteArray("\x7f");
    QTest::newRow("next line, C1") << QByteArray("\x85");
    QTest::newRow("last of C1") << QByteArray("\x9f");
}

// Drawn, and no brighter than halfway from the background to the text.
void ConsoleTest::controlBytesAreDimmedDigits()
{
    QFETCH(QByteArray, byte);
    ZIvidView view;
    view.setFontColor(Qt::white);
    view.setBackColor(Qt::black);
    view.resize(300, 100);
    view.show();
    view.displayData(byte);
    QCoreApplication::processEvents();
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const QImage image = view.viewport()->grab().toImage();
    int drawn = 0;
    int brightest = 0;
    for (int y = 0; y < qCeil(metrics.height()); ++y) {
        for (int x = 4; x < 4 + int(metrics.horizontalAdvance(QLatin1Char('M'))); ++x) {
            const int gray = qGray(image.pixel(x, y));
            drawn += gray > 0;
            brightest = std::max(brightest, gray);
        }
    }
    QVERIFY(drawn > 4);
    QVERIFY2(brightest <= 128, qPrintable(QString::number(brightest)));
}

void ConsoleTest::caretShowsWhileActive()
{
    QWidget other;
    other.show();
    ZIvidView view;
    view.setFontColor(Qt::white);
    view.setBackColor(Qt::black);
    view.resize(300, 100);
    view.show();
    view.displayData("ab\ncd");
    QApplication::setActiveWindow(&view);
    QTRY_VERIFY(view.isActiveWindow());
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const QPoint caret(qRound(4 + 2.5 * metrics.horizontalAdvance(QLatin1Char('M'))),
                       qCeil(metrics.height()) * 3 / 2);
    QCOMPARE(QColor(view.viewport()->grab().toImage().pixel(caret)), QColor(Qt::white));
    QApplication::setActiveWindow(&other);
    QTRY_VERIFY(!view.isActiveWindow());
    QCOMPARE(QColor(view.viewport()->grab().toImage().pixel(caret)), QColor(Qt::black));
}

void ConsoleTest::contextMenuActsOnTheSelection()
{
    ZIvidView view;
    view.displayData("keep this");
    view.selectAll();
    QScopedPointer<QMenu> menu(view.createStandardContextMenu());
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        texts << action->text().remove(QLatin1Char('&'));
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(texts, QStringList({"Cut", "Copy", "Paste", "Delete", "Select All"}));

    menu->actions().at(0)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep this"));
    QVERIFY(view.isEmpty());
    view.displayData("one\ntwo");
    view.selectAll();
    QScopedPointer<QMenu> again(view.createStandardContextMenu());
    again->actions().at(3)->trigger();
    QVERIFY(view.isEmpty());
    view.displayData("three");
    QCOMPARE(view.toPlainText(), QStringLiteral("three"));
}

void ConsoleTest::htmlIsEscaped()
{
    ZIvidView view;
    view.displayData("\n<a href=\"x\">&</a>  two  spaces\x1b");
    const QString html = view.toHtml();
    QVERIFY(html.startsWith(QLatin1String("<!DOCTYPE")));
    QVERIFY(html.contains(QLatin1String("charset=ISO-8859-1")));
    QVERIFY2(html.contains(QLatin1String("<pre>\n\n&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;  two  spaces\x1b</pre>")),
             qPrintable(html));
}

void ConsoleTest::keyPressesAreReportedNotEdited_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");

    QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier) << QStringLiteral("a");
    QTest::newRow("return") << int(Qt::Key_Return) << int(Qt::NoModifier) << QStringLiteral("\r");
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << QStringLiteral("\b");
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << QStringLiteral("\x16");
    QTest::newRow("ctrl+a") << int(Qt::Key_A) << int(Qt::ControlModifier) << QStringLiteral("\x01");
    QTest::newRow("f1") << int(Qt::Key_F1) << int(Qt::NoModifier) << QString();
    QTest::newRow("shift alone") << int(Qt::Key_Shift) << int(Qt::NoModifier) << QString();
    QTest::newRow("delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << QString();
}

void ConsoleTest::keyPressesAreReportedNotEdited()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);

    ZIvidView view;
    view.show();
    view.displayData("screen text");
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(&view, &press);

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), key);
    QCOMPARE(spy.at(0).at(1).toString(), text);
    QCOMPARE(view.toPlainText(), QStringLiteral("screen text"));
}

void ConsoleTest::tabKeepsFocus()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new ZIvidView(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(view);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());

    QSignalSpy spy(view, &ZIvidView::keyInput);
    QTest::keyClick(view, Qt::Key_Tab);
    QVERIFY(view->hasFocus());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), int(Qt::Key_Tab));
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("\t"));
}

void ConsoleTest::pasteIsOneReport()
{
    ZIvidView view;
    QGuiApplication::clipboard()->setText(QStringLiteral("first\nsecond\r\nthird"));
    view.displayData("shown");
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    view.paste();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 0x01000052);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("first\nsecond\r\nthird"));
    QCOMPARE(view.toPlainText(), QStringLiteral("shown"));
}

// As a paste, and only when there is something to paste.
void ConsoleTest::middleClickPastesThePrimarySelection()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    QString selection = QStringLiteral("ls -l\n");
    view.setPrimarySelectionProvider([&selection] { return selection; });
    QTest::mouseClick(view.viewport(), Qt::MiddleButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), int(ZIvidView::pasteKey));
    QCOMPARE(spy.at(0).at(1).toString(), selection);
    selection.clear();
    QTest::mouseClick(view.viewport(), Qt::MiddleButton);
    view.setPrimarySelectionProvider({});
    QGuiApplication::clipboard()->setText(QStringLiteral("not the selection"));
    QTest::mouseClick(view.viewport(), Qt::MiddleButton);
    QCOMPARE(spy.count(), 1);
}

void ConsoleTest::dropChangesNothing()
{
    ZIvidView view;
    view.show();
    view.displayData("kept");
    QSignalSpy spy(&view, &ZIvidView::keyInput);
    QMimeData mime;
    mime.setText(QStringLiteral("dropped"));
    const QPoint at = view.viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    QCOMPARE(view.toPlainText(), QStringLiteral("kept"));
    QCOMPARE(spy.count(), 0);
}

QTEST_MAIN(ConsoleTest)
#include "tst_console.moc"
