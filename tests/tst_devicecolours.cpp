#include "colourruns.h"
#include "consolepainter.h"
#include "consolerows.h"
#include "consoletext.h"
#include "inkcontrast.h"
#include "sgrparser.h"
#include "testenvironment.h"
#include "textsearch.h"
#include "zividview.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Each sequence as "start-end:foreground/background/bold/attributes".
QStringList sequencesOf(const ConsoleText &text)
{
    QStringList list;
    const ColourRuns *runs = text.colours();
    for (qint64 i = 0; runs && i < runs->count(); ++i) {
        const TextStyle s = runs->styleAfter(i);
        list << QStringLiteral("%1-%2:%3/%4/%5/%6").arg(runs->start(i)).arg(runs->end(i)).arg(s.foreground, 0, 16)
                    .arg(s.background, 0, 16).arg(s.bold).arg(s.attributes);
    }
    return list;
}

// What a text holding the same bytes from the start finds.
QStringList sequencesOfBytes(const ConsoleText &text)
{
    ConsoleText fresh;
    fresh.setDeviceColours(true);
    fresh.append(text.mid(0, text.size()));
    return sequencesOf(fresh);
}

} // namespace

// Colour sequences from the device: found in the stored bytes alone, drawn
// as colour and taking no cells, kept in the text.
class DeviceColoursTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void sequences_data();
    void sequences();
    void styles_data();
    void styles();
    void randomEditsMatchTheBytes();
    void hiddenBytesTakeNoCells_data();
    void hiddenBytesTakeNoCells();
    void switchingEveryOptionOffRestoresThePixels();
    void doubleClickSelectsTheWordDrawn();
    void htmlCarriesTheColours();
    void underlineAndReverseAreDrawn();
    void findSkipsHiddenSequences();
    void readableInk_data();
    void readableInk();
    void screenAdjustsWhatTheCaptureKeeps();
};

void DeviceColoursTest::sequences_data()
{
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<QStringList>("ranges");

    const QStringList red {QStringLiteral("1-6")};
    QTest::newRow("complete") << QByteArrayList {"a\x1b[31mb"} << red;
    QTest::newRow("split across batches") << QByteArrayList {"a\x1b", "[3", "1mb"} << red;
    QTest::newRow("cut short by a backspace") << QByteArrayList {"a\x1b[31m", "\b"} << QStringList();
    QTest::newRow("finished after a backspace") << QByteArrayList {"a\x1b[31x", "\bm"} << red;
    QTest::newRow("malformed") << QByteArrayList {"\x1b[3;x1mab"} << QStringList();
    QTest::newRow("another escape") << QByteArrayList {"\x1b[2Jab\x1b[m"} << QStringList {QStringLiteral("6-9")};
    QTest::newRow("broken by a line break") << QByteArrayList {"\x1b[3\r\n1m"} << QStringList();
    QTest::newRow("at the cap") << QByteArrayList {"\x1b[" + QByteArray(29, '1') + "m"} << QStringList {
        QStringLiteral("0-32")};
    QTest::newRow("over the cap") << QByteArrayList {"\x1b[" + QByteArray(30, '1') + "m"} << QStringList();
}

void DeviceColoursTest::sequences()
{
    QFETCH(QByteArrayList, batches);
    QFETCH(QStringList, ranges);

    ConsoleText text;
    text.setDeviceColours(true);
    for (const QByteArray &batch : batches)
        text.append(batch);
    QStringList found = sequencesOf(text);
    QCOMPARE(found, sequencesOfBytes(text));
    for (QString &s : found)
        s.truncate(s.indexOf(QLatin1Char(':')));
    QCOMPARE(found, ranges);
}

void DeviceColoursTest::styles_data()
{
    QTest::addColumn<QByteArray>("sequence");
    QTest::addColumn<uint>("foreground");
    QTest::addColumn<uint>("background");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<uint>("attributes");
    const auto row = [](const char *name, const QByteArray &sequence, uint foreground, uint background, bool bold,
                        uint attributes = 0) {
        QTest::newRow(name) << sequence << foreground << background << bold << attributes;
    };

    const uint set = TextStyle::setBit;
    row("red", "\x1b[31m", set | 0xcd0000, 0, false);
    row("bright background", "\x1b[103m", 0, set | 0xffff00, false);
    row("palette", "\x1b[38;5;196m", set | 0xff0000, 0, false);
    row("palette grey", "\x1b[48;5;232m", 0, set | 0x080808, false);
    row("24-bit", "\x1b[48;2;1;2;3m", 0, set | 0x010203, false);
    row("unknown skipped", "\x1b[5;1;32m", set | 0x00cd00, 0, true);
    row("reset", "\x1b[1;31;44;0m", 0, 0, false);
    row("empty resets", "\x1b[1;31;m", 0, 0, false);
    row("defaults", "\x1b[1;31;44;39;49;22m", 0, 0, false);
    row("palette cut short", "\x1b[1;38;5m", 0, 0, true);

    // Each rendition on, then all on and its reset last; 22 ends bold too.
    const uint all = TextStyle::Dim | TextStyle::Italic | TextStyle::Underline | TextStyle::Reverse | TextStyle::Strike;
    const struct { const char *on; const char *off; uint attribute; } renditions[] = {
        {"2", "22", TextStyle::Dim}, {"3", "23", TextStyle::Italic}, {"4", "24", TextStyle::Underline},
        {"7", "27", TextStyle::Reverse}, {"9", "29", TextStyle::Strike},
    };
    for (const auto &r : renditions) {
        row(r.on, "\x1b[" + QByteArray(r.on) + 'm', 0, 0, false, r.attribute);
        row(r.off, "\x1b[1;2;3;4;7;9;" + QByteArray(r.off) + 'm', 0, 0, r.attribute != TextStyle::Dim, all & ~r.attribute);
    }
    row("0 ends them all", "\x1b[2;3;4;7;9;0m", 0, 0, false);
    row("colon palette", "\x1b[38:5:196m", set | 0xff0000, 0, false);
    row("colon, empty space id", "\x1b[38:2::1:2:3m", set | 0x010203, 0, false);
    row("colon, space id", "\x1b[48:2:0:1:2:3m", 0, set | 0x010203, false);
    row("colon, no space id", "\x1b[48:2:1:2:3;4m", 0, set | 0x010203, false, TextStyle::Underline);
    row("curly underline", "\x1b[4:3m", 0, 0, false, TextStyle::Underline);
    row("4:0 is no underline", "\x1b[4;4:0m", 0, 0, false);
    row("colon cut short", "\x1b[7;38:2:1:2;4m", 0, 0, false, TextStyle::Reverse);
    row("colon out of range", "\x1b[7;38:5:256;4m", 0, 0, false, TextStyle::Reverse);
}

void DeviceColoursTest::styles()
{
    QFETCH(QByteArray, sequence);
    QFETCH(uint, foreground);
    QFETCH(uint, background);
    QFETCH(bool, bold);
    QFETCH(uint, attributes);

    QCOMPARE(SgrParser::sequenceLength(sequence.constData(), sequence.size()), sequence.size());
    const TextStyle style = SgrParser::apply(TextStyle(), sequence.constData(), sequence.size());
    QCOMPARE(style.foreground, foreground);
    QCOMPARE(style.background, background);
    QCOMPARE(style.bold, bold);
    QCOMPARE(uint(style.attributes), attributes);
    // The entry the text keeps for the sequence gives it back.
    ConsoleText text;
    text.setDeviceColours(true);
    text.append(sequence);
    QVERIFY(text.colours()->styleAfter(0) == style);
}

// Whatever the order of appends, backspaces and removals, the sequences and
// their styles are those of the bytes left.
void DeviceColoursTest::randomEditsMatchTheBytes()
{
    static const QByteArrayList pieces {"\x1b[31m", "\x1b[0m", "\x1b[1;4", "4m", "\x1b[", "m", "ab", "\b",
                                        "\b\b\b", "\r\n", "\x1b[38;5;2", "0m", "\x1b[7;38:2::1:2:3", ":4m"};
    QRandomGenerator random(18);
    ConsoleText text(64);
    text.setDeviceColours(true);
    for (int step = 0; step < 3000; ++step) {
        if (random.bounded(8) == 0 && text.size() > 0) {
            const qint64 from = random.bounded(int(text.size()));
            text.remove(from, from + random.bounded(12));
        } else {
            text.append(pieces.at(random.bounded(pieces.size())) + pieces.at(random.bounded(pieces.size())));
        }
        QCOMPARE(sequencesOf(text), sequencesOfBytes(text));
    }
}

void DeviceColoursTest::hiddenBytesTakeNoCells_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<qint64>("secondRowOffset");

    QTest::newRow("row full before a sequence") << QByteArray("0123456789\x1b[31mabc\x1b[0mdefgh") << qint64(2) << qint64(15);
    QTest::newRow("sequences within a row") << QByteArray("01\x1b[31m2345\x1b[0m6789") << qint64(1) << qint64(-1);
    QTest::newRow("with a tab") << QByteArray("\x1b[31m\t\x1b[0m01\x1b[1m23ab") << qint64(2) << qint64(16);
}

void DeviceColoursTest::hiddenBytesTakeNoCells()
{
    QFETCH(QByteArray, line);
    QFETCH(qint64, rows);
    QFETCH(qint64, secondRowOffset);

    ConsoleText text;
    ConsoleRows layout;
    layout.setColumns(text, 10);
    text.setDeviceColours(true);
    // A row at a time, so that the layout grows as the line does.
    for (const char c : line)
        text.append(QByteArray(1, c)), layout.update(text);
    QCOMPARE(layout.rowCount(), rows);
    if (rows > 1)
        QCOMPARE(layout.rowOffset(text, 0, 1), secondRowOffset);
    // Switched off, the rows are those of a text that never had colours.
    text.setDeviceColours(false);
    layout.update(text);
    ConsoleText plain;
    ConsoleRows plainLayout;
    plainLayout.setColumns(plain, 10);
    plain.append(line);
    plainLayout.update(plain);
    QCOMPARE(layout.rowCount(), plainLayout.rowCount());
    QVERIFY(plainLayout.rowCount() > rows);
}

// With every option switched off again, the console draws what it drew
// before any was switched on.
void DeviceColoursTest::switchingEveryOptionOffRestoresThePixels()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    view.displayData("plain \x1b[31mred\x1b[44;1m bold on blue\x1b[0m and a line that wraps once or twice\r\n"
                     "\x1b[2J stays");
    QApplication::setActiveWindow(&view);
    QVERIFY(QTest::qWaitForWindowActive(&view));
    const QImage before = view.grab().toImage();
    view.setDeviceColours(true);
    QVERIFY(view.grab().toImage() != before);
    view.setTimestampMode(TimestampMode::Clock);
    view.setHoldOutput(true);
    view.setTerminalShortcuts(true);
    view.setFindOpen(true);
    view.search()->setPattern(QStringLiteral("red"), Qt::CaseSensitive);
    view.search()->findNext(0);
    QTRY_VERIFY(!view.search()->isFinding());
    view.displayData(" more");
    QVERIFY(view.grab().toImage() != before);

    view.setDeviceColours(false);
    view.setTimestampMode(TimestampMode::Off);
    view.setHoldOutput(false);
    view.setTerminalShortcuts(false);
    view.search()->setPattern(QString(), Qt::CaseSensitive);
    view.setFindOpen(false);
    view.displayData("\b\b\b\b\b");
    QTRY_COMPARE(view.grab().toImage(), before);
}

// The pointer finds the cell drawn, and the word ends where its colour starts.
void DeviceColoursTest::doubleClickSelectsTheWordDrawn()
{
    ZIvidView view;
    view.resize(300, 120);
    view.show();
    view.setDeviceColours(true);
    view.displayData("x \x1b[32mboot\x1b[0m y");
    QCoreApplication::processEvents();
    const qreal cell = QFontMetricsF(view.drawingFont()).horizontalAdvance(QLatin1Char('M'));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(int(4 + 3.5 * cell), 5));
    QCOMPARE(view.selectedText(), QStringLiteral("boot"));
}

void DeviceColoursTest::htmlCarriesTheColours()
{
    ZIvidView view;
    view.displayData("a\x1b[31mb<\x1b[0mc");
    view.setDeviceColours(true);
    QVERIFY(view.toHtml().contains(QStringLiteral("a<span style=\"color:#cd0000;\">b&lt;</span>c")));
    QCOMPARE(view.toPlainText(), QStringLiteral("a\x1b[31mb<\x1b[0mc"));
    view.setDeviceColours(false);
    QVERIFY(view.toHtml().contains(QStringLiteral("a\x1b[31mb&lt;\x1b[0mc")));

    view.displayData("\x1b[2;3;4;7;9;38:2::1:2:3md\x1b[27;29;44me");
    view.setDeviceColours(true);
    QVERIFY(view.toHtml().contains(QStringLiteral(
        "<span style=\"color:Canvas;background-color:#010203;opacity:0.5;font-style:italic;"
        "text-decoration:underline line-through;\">d</span><span style=\"color:#010203;background-color:#0000ee;"
        "opacity:0.5;font-style:italic;text-decoration:underline;\">e</span>")));
}

// Blanks, so that only lines and fills take the font's colour: four cells
// underlined, four plain, four reversed. The reversed ones fill every pixel
// row of the line; on one or two, the underline runs as wide, two widths before.
void DeviceColoursTest::underlineAndReverseAreDrawn()
{
    ZIvidView view;
    view.resize(300, 60);
    view.setDeviceColours(true);
    view.displayData("\x1b[4m    \x1b[24m    \x1b[7m    \x1b[0m");
    view.show();
    QWidget other; // active instead, so that no caret stands after the text
    other.show();
    QApplication::setActiveWindow(&other);
    QTRY_VERIFY(!view.isActiveWindow());
    const QImage screen = view.viewport()->grab().toImage();
    QList<QList<int>> rows; // the edges of the font's colour along each pixel row that has it
    for (int y = 0; y < screen.height(); ++y) {
        QList<int> edges;
        for (int x = 0; x < screen.width(); ++x) {
            if ((screen.pixel(x, y) == view.fontColor().rgb()) != (edges.size() % 2 == 1))
                edges << x;
        }
        if (!edges.isEmpty())
            rows << edges;
    }
    const QList<int> reversed = rows.first();
    QCOMPARE(reversed.size(), 2);
    const auto underline = std::find_if(rows.begin(), rows.end(), [&](const QList<int> &r) { return r != reversed; });
    QVERIFY(underline != rows.end());
    const QList<int> edges = *underline;
    const int width = edges[1] - edges[0];
    QCOMPARE(edges.mid(2), reversed);
    QVERIFY(qAbs(edges[0] - ConsolePainter::margin) <= 1 && qAbs(reversed[0] - edges[0] - 2 * width) <= 1
            && qAbs(reversed[1] - reversed[0] - width) <= 1);
    QVERIFY(rows.size() > 10 && rows.count(edges) <= 2 && rows.count(edges) + rows.count(reversed) == rows.size());
}

// What is not drawn cannot be shown as found.
void DeviceColoursTest::findSkipsHiddenSequences()
{
    ZIvidView view;
    view.displayData("\x1b[31mred 31m");
    view.setDeviceColours(true);
    TextSearch *search = view.search();
    search->setPattern(QStringLiteral("31m"), Qt::CaseSensitive);
    search->findNext(0);
    QTRY_VERIFY(search->isCounted() && !search->isFinding());
    QCOMPARE(search->matchCount(), 1);
    QCOMPARE(search->current().from, 9);

    view.setDeviceColours(false);
    search->findNext(0);
    QTRY_VERIFY(search->isCounted() && !search->isFinding());
    QCOMPARE(search->matchCount(), 2);
}

void DeviceColoursTest::readableInk_data()
{
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<bool>("kept");
    const QColor consoleGreen(67, 136, 101);
    QTest::newRow("yellow on navy") << QColor(0xcdcd00) << QColor(30, 40, 60) << true;
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << true;
    QTest::newRow("green on the console's green") << QColor(0x00cd00) << consoleGreen << false;
    QTest::newRow("grey on the console's green") << QColor(0x7f7f7f) << consoleGreen << false;
    QTest::newRow("light blue on the console's green") << QColor(0x5c5cff) << consoleGreen << false;
    QTest::newRow("red on navy") << QColor(0xcd0000) << QColor(30, 40, 60) << false;
    QTest::newRow("blue on a blue cell") << QColor(0x0000ee) << QColor(0x00005f) << false;
}

// Kept when it stands out; otherwise the same hue, just readable.
void DeviceColoursTest::readableInk()
{
    QFETCH(QColor, ink);
    QFETCH(QColor, back);
    QFETCH(bool, kept);
    QCOMPARE(InkContrast::contrastRatio(ink, back) >= InkContrast::minimumRatio, kept);
    const QColor readable = InkContrast::readableOn(ink, back);
    const double ratio = InkContrast::contrastRatio(readable, back);
    QVERIFY2(ratio >= InkContrast::minimumRatio, qPrintable(readable.name()));
    if (kept) {
        QCOMPARE(readable, ink);
        return;
    }
    // The nearest lightness that does, not black or white.
    QVERIFY2(ratio < InkContrast::minimumRatio + 0.1, qPrintable(readable.name()));
    if (ink.hslSaturation() > 0)
        QVERIFY(qAbs(readable.hslHue() - ink.hslHue()) <= 3);
}

// Green text is lightened on the console's green, not on a black cell of
// its own; the HTML capture keeps the device's green for both.
void DeviceColoursTest::screenAdjustsWhatTheCaptureKeeps()
{
    ZIvidView view;
    view.resize(300, 60);
    view.setDeviceColours(true);
    view.displayData("\x1b[1;32mMMMM\x1b[0m \x1b[1;32;40mMMMM\x1b[0m");
    view.show();
    QCoreApplication::processEvents();
    const QColor green(0x00cd00);
    const QImage screen = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto drawn = [&screen](const QColor &color, int fromX, int toX) {
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = fromX; x < toX; ++x) {
                if (screen.pixel(x, y) == color.rgb())
                    return true;
            }
        }
        return false;
    };
    const int cell = int(QFontMetricsF(view.drawingFont()).horizontalAdvance(QLatin1Char('M')));
    const QColor lightened = InkContrast::readableOn(green, view.backColor());
    QVERIFY(lightened != green);
    QVERIFY(drawn(lightened, 0, 4 + 4 * cell));
    QVERIFY(!drawn(green, 0, 4 + 4 * cell));
    QVERIFY(drawn(green, 4 + 5 * cell, 4 + 9 * cell));
    QCOMPARE(view.toHtml().count(QStringLiteral("color:#00cd00;")), 2);
}

QTEST_MAIN(DeviceColoursTest)
#include "tst_devicecolours.moc"
