// The console at 200 % against the same console at 100 %: every cell, the
// caret and the gutter where the smaller one has them, and sharper than the
// smaller one scaled up. A cell drawn through a 100 % picture, or a caret or
// glyph placed by a rounded logical offset, fails here.
//
// TARNTERM_SCREENSHOT_DIR=dir also saves both renderings there, as
// console-qt<major>-100.png and -200.png; run with QT_SCALE_FACTOR=2, the
// 200 % one is the window's own.

#include "testenvironment.h"
#include "zividview.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QTest>

#include <cmath>

namespace {

// At the screen's own ratio (2 under QT_SCALE_FACTOR=2) the widget as the
// window shows it; at any other, painted into a picture of that ratio.
QImage rendered(QWidget &widget, int ratio)
{
    if (qFuzzyCompare(widget.devicePixelRatioF(), qreal(ratio))) {
        QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
        image.setDevicePixelRatio(1);
        return image;
    }
    QImage image(widget.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    widget.render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

// Mean difference per channel over one block of two same-sized pictures.
double meanDifference(const QImage &a, const QImage &b, const QRect &block)
{
    double sum = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * block.width() * block.height());
}

// How hard the edges are: the squared steps between neighbours summed.
// A blurred edge spreads its step over more pixels and sums to less.
double edgeEnergy(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y + 1 < image.height(); ++y) {
        for (int x = 0; x + 1 < image.width(); ++x) {
            const int here = qGray(image.pixel(x, y));
            const int right = qGray(image.pixel(x + 1, y)) - here;
            const int below = qGray(image.pixel(x, y + 1)) - here;
            sum += double(right) * right + double(below) * below;
        }
    }
    return sum;
}

} // namespace

class TestScaling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void console_data();
    void console();
};

void TestScaling::initTestCase()
{
    if (QFontInfo(QFont(QStringLiteral("DejaVu Sans Mono"), 11)).family() != QLatin1String("DejaVu Sans Mono"))
        QSKIP("DejaVu Sans Mono is not installed");
}

void TestScaling::console_data()
{
    QTest::addColumn<bool>("gutter");
    QTest::newRow("plain") << false;
    QTest::newRow("timestamps and device colours") << true;
}

void TestScaling::console()
{
    QFETCH(bool, gutter);
    ZIvidView view;
    view.setTermFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    view.setFontColor(QColor(235, 235, 220));
    view.setBackColor(QColor(30, 40, 60));
    view.resize(360, 110);
    if (gutter) {
        view.setTimestampMode(TimestampMode::Clock);
        view.setDeviceColours(true);
    }
    view.show();
    QApplication::setActiveWindow(&view);
    QVERIFY(QTest::qWaitForWindowActive(&view));
    const qint64 arrival = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15), Qt::UTC).toMSecsSinceEpoch();
    view.displayData("ctl \x1b\x07\x7f\x85 end\r\n", arrival);
    view.displayData("\x1b[1;31mERR\x1b[0m \x1b[44;33mboxed\x1b[0m \xe9\xb0\r\n", arrival + 1250);
    view.displayData("prompt> ", arrival + 2500);
    QCoreApplication::processEvents();

    const QImage normal = rendered(view, 1);
    const QImage doubled = rendered(view, 2);
    if (qEnvironmentVariableIsSet("TARNTERM_SCREENSHOT_DIR") && gutter) {
        const QDir dir(qEnvironmentVariable("TARNTERM_SCREENSHOT_DIR"));
        const QString name = QStringLiteral("console-qt%1-%2.png").arg(QT_VERSION_MAJOR);
        QVERIFY(normal.save(dir.filePath(name.arg(100))));
        QVERIFY(doubled.save(dir.filePath(name.arg(200))));
    }
    QCOMPARE(doubled.size(), normal.size() * 2);

    // Cell by cell, the 200 % picture averaged down is the 100 % one but for
    // the glyphs' own rasterisation (up to about 22 here): a glyph moved by
    // a cell, or a caret left out or drawn a cell away, changes a block by
    // far more.
    const QImage half = doubled.scaled(normal.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const int cellWidth = int(std::ceil(metrics.horizontalAdvance(QLatin1Char('M'))));
    const int rowHeight = int(std::ceil(metrics.height()));
    for (int y = 0; y + rowHeight <= normal.height(); y += rowHeight) {
        for (int x = 0; x + cellWidth <= normal.width(); x += cellWidth) {
            const QRect block(x, y, cellWidth, rowHeight);
            const double difference = meanDifference(half, normal, block);
            QVERIFY2(difference < 40, qPrintable(QStringLiteral("the cell at (%1, %2) differs by %3 on average")
                                                     .arg(x).arg(y).arg(difference)));
        }
    }

    // Drawn at 200 %, not the 100 % picture enlarged: its edges are harder
    // than those of the smooth enlargement.
    const QImage enlarged = normal.scaled(doubled.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double sharpness = edgeEnergy(doubled) / edgeEnergy(enlarged);
    QVERIFY2(sharpness > 1.4, qPrintable(QStringLiteral("edge energy only %1 times the enlargement's").arg(sharpness)));
}

int main(int argc, char *argv[])
{
    // Clock times are local: the same in every zone the test runs in.
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    initTestEnvironment();
    TestScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
