#include "testenvironment.h"
#include "zividview.h"

#include <QSignalSpy>
#include <QtTest>

// The console with Line Editing: the option switches only what later bytes
// do, the caret stands at the device's cursor, the view answers the
// device's queries and passes its title on.
class LineEditingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void switchingActsOnLaterBytes();
    void caretStandsAtTheDeviceCursor();
    void queriesTitleAndBell();
};

void LineEditingTest::switchingActsOnLaterBytes()
{
    ZIvidView view;
    view.displayData("ab\bc\x1b[1D\r");
    QCOMPARE(view.toPlainText(), QStringLiteral("ac\x1b[1D\n"));
    view.setLineEditing(true);
    view.displayData("\nxyz\x1b[2D\x1b[Pq\x1b[?25l");
    QCOMPARE(view.toPlainText(), QStringLiteral("ac\x1b[1D\n\nxq"));
    view.setLineEditing(false);
    view.displayData("\b!");
    QCOMPARE(view.toPlainText(), QStringLiteral("ac\x1b[1D\n\nx!"));
}

void LineEditingTest::caretStandsAtTheDeviceCursor()
{
    QWidget other;
    other.show();
    ZIvidView view;
    view.setFontColor(Qt::white);
    view.setBackColor(Qt::black);
    view.resize(300, 100);
    view.show();
    view.setLineEditing(true);
    view.setDeviceColours(true);
    view.displayData("\x1b[31mab\x1b[0mcdef\x1b[4D");
    QApplication::setActiveWindow(&view);
    QTRY_VERIFY(view.isActiveWindow());
    const QFontMetricsF metrics(view.drawingFont(), view.viewport());
    const int y = qCeil(metrics.height()) / 2;
    const auto at = [&](double cell) {
        return QColor(view.viewport()->grab().toImage().pixel(qRound(4 + cell * metrics.horizontalAdvance('M')), y));
    };
    // The cell under the caret is filled; the end of the text is not.
    const auto filled = [](const QColor &colour) { return colour.lightness() > 200; };
    QTRY_VERIFY(filled(at(2.25)) && filled(at(2.75)));
    QVERIFY(!filled(at(6.5)));
}

void LineEditingTest::queriesTitleAndBell()
{
    ZIvidView view;
    QByteArray replies;
    view.setReplySender([&](const QByteArray &bytes) { replies += bytes; });
    QSignalSpy titles(&view, &ZIvidView::deviceTitleChanged);
    view.setDeviceColumns(1000);
    QCOMPARE(view.deviceColumns(), 500);
    view.setDeviceColumns(40);
    view.setLineEditing(true);
    view.displayData("> \x1b[999C\x1b[6n\x1b]2;busy\x07\a");
    QCOMPARE(replies, QByteArray("\x1b[1;40R"));
    view.setLineEditing(false);
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles.at(0).at(0).toString(), QStringLiteral("busy"));
    QCOMPARE(titles.at(1).at(0).toString(), QString());
}

QTEST_MAIN(LineEditingTest)
#include "tst_lineediting.moc"
