#include "consoletext.h"
#include "findbar.h"
#include "testenvironment.h"
#include "textpattern.h"
#include "textsearch.h"
#include "zividview.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

// Find: matches read straight from the console's chunks, a search in slices
// that follows the text, and the bar whose keys stay out of the device.
class FindTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }

    void matches_data();
    void matches();
    void scanAgreesWithAPlainSearch();
    void nextAndPreviousGoRound();
    void countFollowsTheText();
    void clearAndANewPatternCancelTheOldSearch();
    void rejectedMatchesAreSkipped();
    void barKeepsKeysFromTheDevice();
    void viewStaysWhileFindIsOpen();
};

namespace {

// Every start of `pattern` in `text`, as a plain reference.
QList<qint64> plainMatches(const QByteArray &text, const QByteArray &pattern, Qt::CaseSensitivity cs)
{
    const auto fold = [cs](const QByteArray &bytes) {
        QByteArray folded = bytes;
        for (char &c : folded)
            c = cs == Qt::CaseSensitive ? c : char(TextPattern::fold(uchar(c)));
        return folded;
    };
    const QByteArray haystack = fold(text);
    QList<qint64> starts;
    for (int at = haystack.indexOf(fold(pattern)); at >= 0; at = haystack.indexOf(fold(pattern), at + 1))
        starts << at;
    return starts;
}

QList<qint64> scanned(const ConsoleText &text, const TextPattern &pattern)
{
    QList<qint64> starts;
    pattern.scan(text, 0, text.size(), [&](qint64 start) {
        starts << start;
        return true;
    });
    return starts;
}

} // namespace

void FindTest::matches_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QList<qint64>>("starts");

    // The store's chunks hold 16 characters here.
    QTest::newRow("across a chunk boundary") << QByteArray("0123456789abcdeXYZ") << QByteArray("eXY") << true
                                             << QList<qint64> {14};
    QTest::newRow("across a line break, CR LF stored as one")
        << QByteArray("boot ok\r\nready") << QByteArray("ok\nre") << true << QList<qint64> {5};
    QTest::newRow("latin-1 letters fold") << QByteArray("CAF\xc9 caf\xe9") << QByteArray("caf\xe9") << false
                                          << QList<qint64> {0, 5};
    QTest::newRow("match case keeps them apart") << QByteArray("CAF\xc9 caf\xe9") << QByteArray("caf\xe9") << true
                                                 << QList<qint64> {5};
    QTest::newRow("multiplication and division signs are no pair")
        << QByteArray("\xd7\xf7") << QByteArray("\xf7") << false << QList<qint64> {1};
    QTest::newRow("overlapping starts all count") << QByteArray("aaaa") << QByteArray("aa") << true
                                                  << QList<qint64> {0, 1, 2};
}

void FindTest::matches()
{
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, matchCase);
    QFETCH(QList<qint64>, starts);
    ConsoleText text(16);
    text.append(received);
    QCOMPARE(scanned(text, TextPattern(pattern, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive)), starts);
}

void FindTest::scanAgreesWithAPlainSearch()
{
    QRandomGenerator random(7);
    const QByteArray alphabet("aAbB\xe9\xc9\n ");
    for (int round = 0; round < 200; ++round) {
        ConsoleText text(16 + random.bounded(16));
        QByteArray stored;
        for (int batch = 0; batch < 20; ++batch) {
            QByteArray bytes;
            for (int i = random.bounded(12); i > 0; --i)
                bytes += alphabet.at(random.bounded(alphabet.size()));
            text.append(bytes);
            stored += bytes;
        }
        QByteArray pattern;
        for (int i = 1 + random.bounded(3); i > 0; --i)
            pattern += alphabet.at(random.bounded(alphabet.size()));
        const Qt::CaseSensitivity cs = random.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        QCOMPARE(scanned(text, TextPattern(pattern, cs, stored.left(random.bounded(stored.size() + 1)))),
                 plainMatches(stored, pattern, cs));
    }
}

void FindTest::nextAndPreviousGoRound()
{
    ConsoleText text;
    text.append("ab\nab\nab");
    TextSearch search(text);
    search.setPattern(QStringLiteral("AB"), Qt::CaseInsensitive);
    QTRY_VERIFY(search.isCounted());
    QCOMPARE(search.matchCount(), 3);
    const QList<std::pair<bool, qint64>> steps {{true, 0}, {true, 3}, {true, 6}, {true, 0}, {false, 6}, {false, 3}};
    for (const auto &[forward, from] : steps) {
        forward ? search.findNext(0) : search.findPrevious(0);
        QTRY_VERIFY(!search.isFinding());
        QCOMPARE(search.current().from, from);
        QCOMPARE(search.currentIndex(), from / 3 + 1);
    }
}

void FindTest::countFollowsTheText()
{
    ConsoleText text(16);
    TextSearch search(text);
    text.append("x needle x nee");
    search.setPattern(QStringLiteral("needle"), Qt::CaseSensitive);
    QTRY_VERIFY(search.isCounted() && !search.isCountingNow());
    QCOMPARE(search.matchCount(), 1);
    // The second match runs across the end the count had reached; a
    // backspace then takes it back.
    const QList<std::pair<QByteArray, qint64>> batches {{"dle", 2}, {"\b", 1}, {"e needle", 3}};
    for (const auto &[batch, count] : batches) {
        text.append(batch);
        search.noteTextChanges();
        text.markSeen();
        QTRY_VERIFY(!search.isCountingNow());
        QCOMPARE(search.matchCount(), count);
    }
}

void FindTest::clearAndANewPatternCancelTheOldSearch()
{
    ZIvidView view;
    view.displayData("first second");
    TextSearch *search = view.search();
    QSignalSpy found(search, &TextSearch::found);
    search->setPattern(QStringLiteral("first"), Qt::CaseSensitive);
    search->findForward(0);
    search->setPattern(QStringLiteral("second"), Qt::CaseSensitive);
    search->findForward(0);
    QTRY_COMPARE(found.count(), 1);
    QCOMPARE(found.at(0).at(0).toLongLong(), 6);

    search->findForward(0);
    view.clear();
    QVERIFY(!search->isFinding());
    QTRY_VERIFY(search->isCounted());
    QCOMPARE(found.count(), 1);
    QCOMPARE(search->matchCount(), 0);
    QVERIFY(!search->current().isValid());
}

void FindTest::rejectedMatchesAreSkipped()
{
    ConsoleText text;
    text.append("ok [ok] ok");
    TextSearch search(text);
    search.setPattern(QStringLiteral("ok"), Qt::CaseSensitive);
    search.setMatchFilter([&](qint64 from, qint64 to) { return text.mid(from - 1, 1) != "[" || to - from != 2; });
    search.findNext(1);
    QTRY_VERIFY(search.isCounted() && !search.isFinding());
    QCOMPARE(search.matchCount(), 2);
    QCOMPARE(search.current().from, 8);
    QCOMPARE(search.currentIndex(), 2);
}

void FindTest::barKeepsKeysFromTheDevice()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new ZIvidView(&window);
    auto *bar = new FindBar(view, &window);
    layout->addWidget(view);
    layout->addWidget(bar);
    view->displayData("one\r\ntwo\r\none\r\n");
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy keys(view, &ZIvidView::keyInput);

    bar->open();
    auto *field = bar->findChild<QLineEdit *>(QStringLiteral("findField"));
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("one"));
    QTRY_COMPARE(bar->countText(), QStringLiteral("1 of 2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(bar->countText(), QStringLiteral("2 of 2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(bar->countText(), QStringLiteral("1 of 2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTRY_VERIFY(view->hasFocus());
    QCOMPARE(keys.count(), 0);
}

void FindTest::viewStaysWhileFindIsOpen()
{
    ZIvidView view;
    view.resize(400, 200);
    view.show();
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + QByteArray::number(i) + "\r\n";
    view.displayData(lines);
    QScrollBar *bar = view.verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());

    view.setFindOpen(true);
    view.search()->setPattern(QStringLiteral("line 7\n"), Qt::CaseSensitive);
    view.search()->findForward(0);
    QTRY_VERIFY(view.search()->current().isValid());
    QTRY_VERIFY(bar->value() <= 7 && bar->value() + bar->pageStep() > 7);
    const int shown = bar->value();
    view.displayData(lines);
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), shown);
}

QTEST_MAIN(FindTest)
#include "tst_find.moc"
