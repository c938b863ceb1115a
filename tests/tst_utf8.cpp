#include "cellwalker.h"
#include "consoleexport.h"
#include "consolerows.h"
#include "consoletext.h"
#include "consoleviewport.h"
#include "testenvironment.h"
#include "textsearch.h"
#include "utf8rows.h"
#include "zividview.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// UTF-8 by the book, written apart from the console's decoder: a sequence's
// length from its lead, then its value checked against the shortest form,
// the surrogates and the last code point. 0 when no sequence starts there.
int wellFormedLength(const QByteArray &bytes, int at, char32_t *code)
{
    const uchar lead = uchar(bytes[at]);
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    const int length = lead >= 0xf8 ? 0 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    char32_t value = lead & (0x7f >> length);
    for (int i = 1; i < length; ++i) {
        if ((uchar(bytes[at + i]) & 0xc0) != 0x80)
            return 0;
        value = value << 6 | (uchar(bytes[at + i]) & 0x3f);
    }
    const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < shortest[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
        return 0;
    *code = value;
    return length;
}

// Whether the bytes from `at` to the end are the start of a sequence that
// more bytes could finish.
bool unfinished(const QByteArray &bytes, int at)
{
    const QByteArray rest = bytes.mid(at);
    for (int next = 0x80; next <= 0xbf && rest.size() < 4; ++next) {
        char32_t code = 0;
        const QByteArray finished = rest + char(next) + QByteArray(3 - rest.size(), char(0x80));
        if (wellFormedLength(finished, 0, &code) > rest.size())
            return true;
    }
    return false;
}

bool wide(char32_t code)
{
    // The blocks the sample texts use: CJK, Hangul, emoji.
    return (code >= 0x4e00 && code <= 0x9fff) || (code >= 0xac00 && code <= 0xd7a3)
        || (code >= 0x1f300 && code <= 0x1f64f);
}

struct Cell
{
    qint64 position;
    char32_t code;
    qint64 row;
    int column;
};

// The cells of the whole text laid out at once, and where each row starts.
struct Reference
{
    Reference(const QByteArray &bytes, int columns)
    {
        qint64 row = 0;
        int column = 0;
        rowStarts.push_back(0);
        for (int at = 0; at < bytes.size();) {
            if (bytes[at] == '\n') {
                rowStarts.push_back(at + 1);
                ++row;
                column = 0;
                ++at;
                continue;
            }
            char32_t code = 0;
            int length = wellFormedLength(bytes, at, &code);
            if (length == 0 && unfinished(bytes, at))
                break;
            if (length == 0) {
                code = CellWalker::invalidByte | uchar(bytes[at]);
                length = 1;
            }
            const int width = wide(code) ? 2 : 1;
            if (column >= columns || (width == 2 && column > 0 && column + 2 > columns)) {
                rowStarts.push_back(at);
                ++row;
                column = 0;
            }
            cells.push_back({at, code, row, column});
            column = code == '\t' ? std::min((column / 8 + 1) * 8, columns) : column + width;
            at += length;
        }
        caretColumn = column;
    }
    std::vector<Cell> cells;
    std::vector<qint64> rowStarts;
    int caretColumn = 0;
};

// Lines of these alone are counted eight bytes at a time.
const QList<QByteArray> wellFormed = {
    "a", "Z", " ", "\n", "\xc3\xa9", "\xc2\xb0", "\xe2\x94\x80", "\xe2\x82\xac", "\xe4\xb8\xad", "\xea\xb0\x80",
};
const QList<QByteArray> anything = wellFormed + QList<QByteArray> {
    "\t", "\xf0\x9f\x98\x80", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
    "\xf4\x90\x80\x80", "\x80", "\xbf", "\xff", "\xfe",
};

QByteArray randomBytes(QRandomGenerator &random, int count, const QList<QByteArray> &fragments)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += fragments.at(int(random.bounded(fragments.size())));
    return bytes;
}

// The text taken in the batches, laid out after each as the view does, must
// give the cells, rows, caret and hit tests of the reference.
QString checkLayout(const QList<QByteArray> &batches, int columns)
{
    ConsoleText text;
    text.setUtf8(true);
    ConsoleRows rows;
    rows.setColumns(text, columns);
    ConsoleViewport view(text, rows);
    QByteArray all;
    for (const QByteArray &batch : batches) {
        text.append(batch, 0);
        rows.update(text);
        all += batch;
    }
    const Reference expected(all, columns);
    const auto where = [&](const QString &what) {
        return QStringLiteral("%1 for %2 in %3 columns").arg(what, QString::fromLatin1(all.toHex(' ')))
            .arg(columns);
    };
    if (rows.rowCount() != qint64(expected.rowStarts.size()))
        return where(QStringLiteral("%1 rows, not %2").arg(rows.rowCount()).arg(expected.rowStarts.size()));
    for (qint64 row = 0; row < rows.rowCount(); ++row) {
        if (view.positionOfRow(row) != expected.rowStarts[size_t(row)])
            return where(QStringLiteral("row %1 starts at %2").arg(row).arg(view.positionOfRow(row)));
    }
    std::vector<Cell> walked;
    CellWalker(text, 0).walk(text.size(), [&](qint64 position, char32_t code) {
        if (code != '\n')
            walked.push_back({position, code, 0, 0});
        return true;
    });
    if (walked.size() != expected.cells.size())
        return where(QStringLiteral("%1 cells, not %2").arg(walked.size()).arg(expected.cells.size()));
    for (size_t i = 0; i < walked.size(); ++i) {
        const Cell &cell = expected.cells[i];
        if (walked[i].position != cell.position || walked[i].code != cell.code)
            return where(QStringLiteral("cell %1 is %2 at %3").arg(i).arg(uint(walked[i].code), 0, 16)
                             .arg(walked[i].position));
        if (view.rowOfPosition(cell.position) != cell.row || view.columnOf(cell.position) != cell.column)
            return where(QStringLiteral("cell %1 placed at %2:%3").arg(i).arg(view.rowOfPosition(cell.position))
                             .arg(view.columnOf(cell.position)));
        // The pointer on the cell's left half selects from the character.
        if (view.positionAt(cell.row, (cell.column + 0.25) * 10, 10) != cell.position)
            return where(QStringLiteral("cell %1 missed by the pointer").arg(i));
    }
    if (view.caretColumn() != expected.caretColumn)
        return where(QStringLiteral("caret at %1").arg(view.caretColumn()));
    return {};
}

} // namespace

// The console reading its bytes as UTF-8: the same characters whatever the
// batches, placed where they are drawn, found, copied and captured as text.
class Utf8Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void randomBatchesLayOutAsOne();
    void splitAtEveryByte();
    void linesCountedAsWalked_data();
    void linesCountedAsWalked();
    void cellsAndCopies_data();
    void cellsAndCopies();
    void backspaceTakesACharacter_data();
    void backspaceTakesACharacter();
    void findMatchesCharacters_data();
    void findMatchesCharacters();
    void drawnAsLatin1OrAsPictures();
    void htmlDeclaresTheCharset();
};

void Utf8Test::randomBatchesLayOutAsOne()
{
    QRandomGenerator random(25);
    for (int round = 0; round < 600; ++round) {
        const QByteArray bytes = randomBytes(random, 1 + int(random.bounded(30)), round % 3 ? anything : wellFormed);
        QList<QByteArray> batches;
        for (int at = 0; at < bytes.size();) {
            const int length = 1 + int(random.bounded(6));
            batches << bytes.mid(at, length);
            at += length;
        }
        const QString fault = checkLayout(batches, 2 + int(random.bounded(10)));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
}

void Utf8Test::splitAtEveryByte()
{
    const QByteArray bytes = "25\xc2\xb0" "C \xe2\x94\x9c\xe2\x94\x80 \xf0\x9f\x98\x80\xe4\xb8\xad\xc3";
    for (int split = 0; split <= bytes.size(); ++split) {
        for (int columns : {3, 5, 80}) {
            const QString fault = checkLayout({bytes.left(split), bytes.mid(split)}, columns);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
    }
}

void Utf8Test::linesCountedAsWalked_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("cut at a word's end") << QByteArray("123456\xe2\x82");
    QTest::newRow("two-byte overlong") << QByteArray("1234567\xc0\xaf" "ab");
    QTest::newRow("three-byte overlong") << QByteArray("12345\xe0\x80\xaf" "ab");
    QTest::newRow("surrogate") << QByteArray("1234567\xed\xa0\x80");
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80" "1234");
    QTest::newRow("stray continuations") << QByteArray("1234\x80\x80\xc3\xa9");
    QTest::newRow("wide across words") << QByteArray("123456\xe4\xb8\xad\xe4\xb8\xad" "a\xc3\xa9");
}

// A finished line's rows, counted from its bytes, at any width.
void Utf8Test::linesCountedAsWalked()
{
    QFETCH(QByteArray, line);
    for (int columns = 1; columns <= 12; ++columns) {
        const Reference expected(line + '\n', columns);
        const qint64 rows = qint64(expected.rowStarts.size()) - 1;
        QCOMPARE(Utf8Rows::layOut(line.constData(), line.size(), true, columns).rows, rows);
        for (qint64 row = 1; row < rows; ++row)
            QCOMPARE(Utf8Rows::layOut(line.constData(), line.size(), true, columns, row).wantedStart,
                     expected.rowStarts[size_t(row)]);
    }
}

void Utf8Test::cellsAndCopies_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("cells");
    QTest::addColumn<QString>("copied");
    QTest::newRow("degrees") << QByteArray("25\xc2\xb0" "C") << 4 << QStringLiteral("25°C");
    QTest::newRow("accent") << QByteArray("caf\xc3\xa9") << 4 << QStringLiteral("café");
    QTest::newRow("box drawing") << QByteArray("\xe2\x94\x9c\xe2\x94\x80\xe2\x94\xa4") << 3
                                 << QStringLiteral("├─┤");
    QTest::newRow("emoji is wide") << QByteArray("\xf0\x9f\x98\x80!") << 3 << QStringLiteral("😀!");
    QTest::newRow("CJK is wide") << QByteArray("\xe4\xb8\xad\xe6\x96\x87") << 4 << QStringLiteral("中文");
    QTest::newRow("unassigned is narrow but where ideographs go")
        << QByteArray("\xe1\x89\x89\xf3\xa0\x82\x80\xf0\xaf\xbf\xbd") << 4
        << QStringLiteral("\u1249\U000E0080\U0002FFFD");
    QTest::newRow("overlong") << QByteArray("\xc0\xaf" "a") << 3 << QStringLiteral("\ufffd\ufffda");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << 3 << QStringLiteral("\ufffd\ufffd\ufffd");
    QTest::newRow("broken by the next byte") << QByteArray("\xe2\x82x") << 3 << QStringLiteral("\ufffd\ufffdx");
    QTest::newRow("unfinished at the end") << QByteArray("ab\xe2\x82") << 2 << QStringLiteral("ab\ufffd\ufffd");
}

// The caret stands after the cells drawn; a copy is the text drawn.
void Utf8Test::cellsAndCopies()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, cells);
    QFETCH(QString, copied);
    ZIvidView view;
    view.setUtf8(true);
    view.displayData(bytes);
    ConsoleText text;
    text.setUtf8(true);
    text.append(bytes, 0);
    ConsoleRows rows;
    rows.setColumns(text, 80);
    QCOMPARE(ConsoleViewport(text, rows).caretColumn(), cells);
    view.selectAll();
    QCOMPARE(view.selectedText(), copied);
    view.setUtf8(false);
    QCOMPARE(view.selectedText(), QString::fromLatin1(bytes));
}

void Utf8Test::backspaceTakesACharacter_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("shown");
    QTest::newRow("in the batch") << QByteArray("caf\xc3\xa9\bx") << QByteArray() << QStringLiteral("cafx");
    QTest::newRow("on the screen") << QByteArray("\xe4\xb8\xad\xe2\x82\xac") << QByteArray("\b\bx")
                                   << QStringLiteral("x");
    QTest::newRow("a broken one a byte") << QByteArray("a\xe2\x82") << QByteArray("\bx")
                                         << QStringLiteral("a\ufffdx");
}

void Utf8Test::backspaceTakesACharacter()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, shown);
    ZIvidView view;
    view.setUtf8(true);
    view.displayData(first);
    view.displayData(second);
    QCOMPARE(view.toPlainText(), shown);
}

void Utf8Test::findMatchesCharacters_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Qt::CaseSensitivity>("cs");
    QTest::addColumn<int>("matches");
    // U+3A40 is E3 A9 80: Latin-1 folding would take its lead for é's.
    QTest::newRow("é, not the character after ã") << QStringLiteral("é") << Qt::CaseInsensitive << 1;
    QTest::newRow("degrees") << QStringLiteral("°C") << Qt::CaseSensitive << 2;
    QTest::newRow("ASCII still folds") << QStringLiteral("c") << Qt::CaseInsensitive << 3;
    QTest::newRow("beyond Latin-1") << QStringLiteral("€") << Qt::CaseSensitive << 1;
}

void Utf8Test::findMatchesCharacters()
{
    QFETCH(QString, pattern);
    QFETCH(Qt::CaseSensitivity, cs);
    QFETCH(int, matches);
    ZIvidView view;
    view.setUtf8(true);
    view.displayData("caf\xc3\xa9 \xe3\xa9\x80 25\xc2\xb0" "C 3\xc2\xb0" "C 5\xe2\x82\xac");
    TextSearch *search = view.search();
    search->setPattern(pattern, cs);
    search->findNext(0);
    QTRY_VERIFY(search->isCounted() && !search->isFinding());
    QCOMPARE(search->matchCount(), matches);
}

// A character of several bytes is drawn as its Latin-1 byte was; a byte
// that is no UTF-8 as a C1 control is, by its hex digits.
void Utf8Test::drawnAsLatin1OrAsPictures()
{
    const auto drawn = [](const QByteArray &bytes, bool utf8) {
        ZIvidView view;
        view.resize(200, 60);
        view.setUtf8(utf8);
        view.displayData(bytes);
        view.show();
        QCoreApplication::processEvents();
        return view.grab().toImage();
    };
    QCOMPARE(drawn("25\xc2\xb0" "C caf\xc3\xa9", true), drawn("25\xb0" "C caf\xe9", false));
    QCOMPARE(drawn("a\x85", true), drawn("a\x85", false));
    QVERIFY(drawn("a\xe9", true) != drawn("a\xe9", false));
}

void Utf8Test::htmlDeclaresTheCharset()
{
    ConsoleText text;
    text.append("caf\xc3\xa9", 0);
    QVERIFY(ConsoleExport::toHtml(text).contains(QLatin1String("charset=ISO-8859-1")));
    text.setUtf8(true);
    const QString html = ConsoleExport::toHtml(text);
    QVERIFY(html.contains(QLatin1String("charset=UTF-8")));
    QVERIFY(html.contains(QStringLiteral("café")));
}

QTEST_MAIN(Utf8Test)
#include "tst_utf8.moc"
