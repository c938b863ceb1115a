#include "hexdumprow.h"
#include "hexview.h"

#include <QGroupBox>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

class TestHexView : public QObject
{
    Q_OBJECT

private slots:
    void rowText_data();
    void rowText();
    void contentIsWhatWasSetAndAppended();
    void keysScrollButNeverEdit();
    void appendingKeepsEveryRow();
    void scrollingToTheEndShowsTheLastRow();
    void switchedOnShowsTheLastRow_data();
    void switchedOnShowsTheLastRow();
};

void TestHexView::rowText_data()
{
    QTest::addColumn<qint64>("address");
    QTest::addColumn<int>("addressDigits");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("neededDigits");
    QTest::newRow("full row of controls and high bytes")
        << qint64(0x10) << 8 << QByteArray("\x00\x1f\x20\x7e\x7f\x80\xff\x41\x08\x0a\x0d\x09\x61\x2e\xc3\xa9", 16)
        << QStringLiteral("00000010  00 1f 20 7e 7f 80 ff 41  08 0a 0d 09 61 2e c3 a9  .. ~...A....a...") << 8;
    QTest::newRow("short row keeps the character column") << qint64(0xfedcba90) << 8 << QByteArray("A\0B\bD", 5)
        << QStringLiteral("fedcba90  41 00 42 08 44").leftJustified(60) + QStringLiteral("A.B.D") << 8;
    QTest::newRow("last row below 4 GiB") << qint64(0xfffffff0) << 8 << QByteArray("A", 1)
        << QStringLiteral("fffffff0  41").leftJustified(60) + QStringLiteral("A") << 8;
    QTest::newRow("past 4 GiB") << qint64(0x1fedcba90) << 9 << QByteArray("A", 1)
        << QStringLiteral("1fedcba90  41").leftJustified(61) + QStringLiteral("A") << 9;
    QTest::newRow("below 4 GiB in a longer session") << qint64(0x10) << 9 << QByteArray("A", 1)
        << QStringLiteral("000000010  41").leftJustified(61) + QStringLiteral("A") << 8;
    QTest::newRow("wider than asked") << qint64(0x123456789a) << 8 << QByteArray("A", 1)
        << QStringLiteral("123456789a  41").leftJustified(62) + QStringLiteral("A") << 10;
}

void TestHexView::rowText()
{
    QFETCH(qint64, address);
    QFETCH(int, addressDigits);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(hexDumpRow(address, bytes.constData(), bytes.size(), addressDigits), expected);
    QTEST(hexDumpAddressDigits(address), "neededDigits");
    // The view's width comes from it.
    QVERIFY(expected.size() <= hexDumpRowLength - 8 + std::max(addressDigits, hexDumpAddressDigits(address)));
}

void TestHexView::contentIsWhatWasSetAndAppended()
{
    QRandomGenerator random(20240611);
    HexView view;
    QByteArray reference;
    for (int step = 0; step < 400; ++step) {
        QByteArray bytes(random.bounded(70), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        const QByteArray handedOut = view.data();
        const QByteArray before = reference;
        if (random.bounded(8) == 0) {
            view.setData(bytes);
            reference = bytes;
        } else {
            view.appendData(bytes);
            reference += bytes;
        }
        QCOMPARE(view.data(), reference);
        QCOMPARE(handedOut, before);
    }
}

void TestHexView::keysScrollButNeverEdit()
{
    HexView view;
    view.resize(800, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QByteArray content(4096, '\x5a');
    view.setData(content);
    view.setReadOnly(false);
    QVERIFY(!view.isReadOnly());
    QVERIFY(view.focusPolicy() & Qt::TabFocus);
    QTest::keyClicks(&view, QStringLiteral("az09 "));
    for (int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return})
        QTest::keyClick(&view, Qt::Key(key));
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(view.data(), content);

    QScrollBar *bar = view.verticalScrollBar();
    QVERIFY(bar->pageStep() > 1);
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; int value; } moves[] = {
        {Qt::Key_End, Qt::ControlModifier, bar->maximum()}, {Qt::Key_Home, Qt::ControlModifier, 0},
        {Qt::Key_PageDown, Qt::NoModifier, bar->pageStep()}, {Qt::Key_Down, Qt::NoModifier, bar->pageStep() + 1},
        {Qt::Key_Up, Qt::NoModifier, bar->pageStep()}, {Qt::Key_PageUp, Qt::NoModifier, 0},
        {Qt::Key_End, Qt::NoModifier, bar->maximum()}, {Qt::Key_Home, Qt::NoModifier, 0},
    };
    for (const auto &move : moves) {
        QTest::keyClick(&view, move.key, move.modifiers);
        QCOMPARE(bar->value(), move.value);
    }
}

// Appended in pieces of every size, past the places where the store starts
// a new piece of memory: each row shows its own bytes.
void TestHexView::appendingKeepsEveryRow()
{
    const int size = 3 * 1024 * 1024 + 5;
    QByteArray reference(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        reference[i] = char(i * 7 + i / 4096);
    HexView view;
    QRandomGenerator random(7);
    for (int at = 0; at < size;) {
        const int piece = std::min(size - at, random.bounded(2) ? random.bounded(100) : random.bounded(900000));
        view.appendData(reference.mid(at, piece));
        at += piece;
    }
    QCOMPARE(view.size(), qint64(size));
    QVERIFY(view.data() == reference);
    for (qint64 row : {qint64(0), qint64(65535), qint64(65536), qint64(size / 16)}) {
        const int offset = int(row * 16);
        QCOMPARE(view.rowText(row),
                 hexDumpRow(offset, reference.constData() + offset, std::min(16, size - offset)));
    }
}

// The last row is wholly on screen, and the view is scrolled no further
// than that needs.
static bool lastRowShown(const HexView &view, int rows)
{
    const QScrollBar *bar = view.verticalScrollBar();
    const int shownHeight = (rows - bar->value()) * view.fontMetrics().height();
    return shownHeight <= view.viewport()->height()
        && (bar->value() == 0 || shownHeight + view.fontMetrics().height() > view.viewport()->height());
}

static bool lastRowShownAtMaximum(HexView &view, int rows)
{
    view.scrollToEnd();
    return lastRowShown(view, rows);
}

void TestHexView::scrollingToTheEndShowsTheLastRow()
{
    HexView view;
    view.resize(800, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage empty = view.grab().toImage();
    for (int halfRows = 1; halfRows <= 60; ++halfRows) {
        view.appendData(QByteArray(8, 'h'));
        QVERIFY2(lastRowShownAtMaximum(view, (halfRows + 1) / 2), qPrintable(QString::number(halfRows)));
    }
    QVERIFY(view.verticalScrollBar()->maximum() > 0);
    QVERIFY(view.grab().toImage() != empty);

    const int size = 50 * 1024 * 1024 + 3;
    view.setData(QByteArray(size, '\0'));
    QVERIFY(lastRowShownAtMaximum(view, size / 16 + 1));
    QVERIFY(!view.grab().isNull());
    view.setData(QByteArray());
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);
}

void TestHexView::switchedOnShowsTheLastRow_data()
{
    QTest::addColumn<bool>("shownBefore");
    QTest::addColumn<bool>("aloneBefore"); // taller then than now
    QTest::newRow("first time") << false << false;
    QTest::newRow("again, same height") << true << false;
    QTest::newRow("again, taller before") << true << true;
}

// Hexa View switched on in the middle of a session opens on the newest
// rows, received while it was off.
void TestHexView::switchedOnShowsTheLastRow()
{
    QFETCH(bool, shownBefore);
    QFETCH(bool, aloneBefore);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *console = new QWidget(&window);
    layout->addWidget(console, 3);
    auto *group = new QGroupBox(&window);
    auto *view = new HexView(group);
    (new QVBoxLayout(group))->addWidget(view);
    layout->addWidget(group, 1);
    group->setVisible(shownBefore);
    console->setHidden(aloneBefore);
    window.resize(800, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    group->hide();
    console->show();
    const int rows = 4000;
    for (int i = 0; i < rows; ++i)
        view->appendData(QByteArray(16, 'r'));
    view->scrollToEnd();
    group->show();
    QTRY_VERIFY(lastRowShown(*view, rows));
}

QTEST_MAIN(TestHexView)
#include "tst_hexview.moc"
