// The console drawn exactly as the reference pictures show it: one screen
// with every option off, one with every option on. Any change to how a row,
// a mark, the gutter, a control picture, a colour, a selection, a find
// match, the caret or the hold marker is drawn shows here as changed pixels.
//
// TARNTERM_UPDATE_REFERENCE=1 writes the pictures instead of comparing.

#include "testenvironment.h"
#include "textsearch.h"
#include "zividview.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

const qint64 firstArrival = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15, 250), Qt::UTC).toMSecsSinceEpoch();

QString referencePath(const QString &name)
{
    return QStringLiteral(TARNTERM_REFERENCE_DIR "/%1.png").arg(name);
}

// Pixels that differ, and where the first one is.
QString compare(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    int differing = 0;
    QPoint first;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (actual.pixel(x, y) != expected.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
        }
    }
    if (differing == 0)
        return {};
    return QStringLiteral("%1 pixels differ, the first at (%2, %3)").arg(differing).arg(first.x()).arg(first.y());
}

} // namespace

class TestPixels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void console_data();
    void console();
};

void TestPixels::initTestCase()
{
#ifndef Q_OS_LINUX
    QSKIP("the reference pictures are drawn by Linux's FreeType and fontconfig");
#endif
    if (QFontInfo(QFont(QStringLiteral("DejaVu Sans Mono"), 11)).family() != QLatin1String("DejaVu Sans Mono"))
        QSKIP("DejaVu Sans Mono is not installed");
}

void TestPixels::console_data()
{
    QTest::addColumn<bool>("optionsOn");
    QTest::newRow("console-options-off") << false;
    QTest::newRow("console-options-on") << true;
}

void TestPixels::console()
{
    QFETCH(bool, optionsOn);
    ZIvidView view;
    view.setTermFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view.setFontColor(QColor(235, 235, 220));
    view.setBackColor(QColor(30, 40, 60));
    view.setEnabled(true);
    view.resize(520, 300);
    if (optionsOn) {
        view.setTimestampMode(TimestampMode::Clock);
        view.setDeviceColours(true);
        view.setTerminalShortcuts(true);
    }
    view.show();
    QApplication::setActiveWindow(&view);
    QVERIFY(QTest::qWaitForWindowActive(&view));

    qint64 arrival = firstArrival;
    const auto feed = [&](const QByteArray &bytes) {
        view.displayData(bytes, arrival);
        arrival += 1250;
    };
    feed("TarnTerm ready\r\n");
    feed("col\ta\tbb\tccc\r\n");
    feed("ctl \x1b\x07\x7f\x85\x9f" " end\r\n");
    feed("\x1b[1;31mERROR\x1b[0m \x1b[32mok\x1b[0m \x1b[44;33mboxed\x1b[0m plain\r\n");
    feed(QByteArray("long:") + QByteArray("0123456789").repeated(9) + "\r\n");
    feed("Latin-1 \xe9\xe8\xfc \xb0" "C\r\n");
    feed("half a line");
    view.markDisconnected(QTime(12, 34, 56));
    feed("next session\r\n");
    for (int i = 0; i < 6; ++i)
        feed("line " + QByteArray::number(i) + " of the log\r\n");
    feed("prompt> ");
    QCoreApplication::processEvents();

    // A selection from the second row on screen into the third: a click,
    // then a Shift+click.
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('M'));
    const int rowHeight = int(std::ceil(metrics.height()));
    const qreal left = optionsOn ? 4 + 13 * cell : 4;
    const auto at = [&](int row, int column) {
        return QPoint(int(left + (column + 0.3) * cell), row * rowHeight + rowHeight / 2);
    };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(1, 2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2, 6));
    QVERIFY(!view.selectedText().isEmpty());

    if (optionsOn) {
        view.setFindOpen(true);
        QSignalSpy found(view.search(), &TextSearch::found);
        view.search()->setPattern(QStringLiteral("of"), Qt::CaseSensitive);
        view.search()->findForward(0);
        QVERIFY(found.wait(2000) || found.count() > 0);
        // Held: what arrives now is counted below, not scrolled to.
        view.setHoldOutput(true);
        for (int i = 0; i < 3; ++i)
            feed("held " + QByteArray::number(i) + "\r\n");
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    const QImage actual = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    if (qEnvironmentVariableIsSet("TARNTERM_UPDATE_REFERENCE")) {
        QVERIFY(actual.save(referencePath(name)));
        QSKIP("reference written");
    }
    QImage expected(referencePath(name));
    QVERIFY2(!expected.isNull(), qPrintable(referencePath(name)));
    expected = expected.convertToFormat(QImage::Format_RGB32);
    const QString difference = compare(actual, expected);
    if (!difference.isEmpty())
        actual.save(QDir::temp().filePath(name + QStringLiteral("-actual.png")));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

int main(int argc, char *argv[])
{
    // Clock times are local: the same in every zone the test runs in.
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    initTestEnvironment();
    TestPixels test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pixels.moc"
