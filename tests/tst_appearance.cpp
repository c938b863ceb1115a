#include "consolestylesheet.h"
#include "dialogappearancepicker.h"
#include "fakedevicesource.h"
#include "modalwatcher.h"
#include "qtcompat.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "zividview.h"

#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QSettings>
#include <QtTest>

namespace {

const QString defaultSheet = QStringLiteral(
    "QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,255,255);"
    "background-color:rgb(67,136,101); }");

// A font as the settings make it, its weight on the 0-99 scale they store.
QFont storedFont(const QString &family, int pointSize, int weight)
{
    QFont font(family, pointSize);
    QtCompat::setLegacyWeight(font, weight);
    return font;
}

QFont courier()
{
    return storedFont(QStringLiteral("Courier New"), 10, 50);
}

QFont withStyle(QFont font, QFont::Style style)
{
    font.setStyle(style);
    return font;
}

} // namespace

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void styleSheetText_data();
    void styleSheetText();
    void viewSettersGiveSameText_data();
    void viewSettersGiveSameText();

    void newViewHasNoStyleSheet();
    void fontChangeKeepsColours();
    void colourChangeKeepsFont();
    void alphaKeptInStoredColour();
    void invalidFontColourIgnored();
    void invalidBackColourStoredAsBlack();

    void cancelledDialogChangesNothing_data();
    void cancelledDialogChangesNothing();
    void confirmedColourDialogApplies_data();
    void confirmedColourDialogApplies();
    void confirmedFontDialogApplies();
    void confirmUnchangedRebuildsSameText();
    void drawsInTheChosenWeight();
    void missingFamilyDrawsInAFixedFont();
};

void TestAppearance::initTestCase()
{
    initTestEnvironment();
}

void TestAppearance::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TarnwickTerm"),
              versionString)
        .clear();
}

void TestAppearance::styleSheetText_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QColor>("fontColor");
    QTest::addColumn<QColor>("backColor");
    QTest::addColumn<QString>("expected");

    const QColor white(255, 255, 255);
    const QColor green(0x43, 0x88, 0x65);

    QTest::newRow("first start") << courier() << white << green << defaultSheet;
    QTest::newRow("italic") << withStyle(courier(), QFont::StyleItalic) << white << green
                            << QStringLiteral("QTextEdit { font:italic 50 10pt \"Courier New\";"
                                              "color:rgb(255,255,255);"
                                              "background-color:rgb(67,136,101); }");
    QTest::newRow("oblique writes no style") << withStyle(courier(), QFont::StyleOblique) << white
                                             << green << defaultSheet;
    QTest::newRow("bold") << QFont(QStringLiteral("Courier New"), 10, QFont::Bold) << white << green
                          << QStringLiteral("QTextEdit { font:75 10pt \"Courier New\";"
                                            "color:rgb(255,255,255);"
                                            "background-color:rgb(67,136,101); }");
    QTest::newRow("bold italic 12pt")
        << QFont(QStringLiteral("Courier New"), 12, QFont::Bold, true) << white << green
        << QStringLiteral("QTextEdit { font:italic 75 12pt \"Courier New\";"
                          "color:rgb(255,255,255);background-color:rgb(67,136,101); }");
    QTest::newRow("family with spaces")
        << storedFont(QStringLiteral("Liberation Mono Extra Wide"), 9, 25) << white << green
        << QStringLiteral("QTextEdit { font:25 9pt \"Liberation Mono Extra Wide\";"
                          "color:rgb(255,255,255);background-color:rgb(67,136,101); }");
    QTest::newRow("alpha dropped") << courier() << QColor(1, 2, 3, 4) << QColor(250, 128, 0, 0)
                                   << QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";"
                                                     "color:rgb(1,2,3);"
                                                     "background-color:rgb(250,128,0); }");
    QTest::newRow("colours given as HSV and CMYK")
        << courier() << QColor::fromHsv(0, 255, 255) << QColor::fromCmyk(0, 0, 0, 255)
        << QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,0,0);"
                          "background-color:rgb(0,0,0); }");
    QTest::newRow("unparsable background")
        << courier() << white << QColor(QStringLiteral("no such colour"))
        << QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,255,255);"
                          "background-color:rgb(0,0,0); }");
}

void TestAppearance::styleSheetText()
{
    QFETCH(QFont, font);
    QFETCH(QColor, fontColor);
    QFETCH(QColor, backColor);
    QFETCH(QString, expected);

    QCOMPARE(consoleStyleSheet(font, fontColor, backColor), expected);
}

void TestAppearance::viewSettersGiveSameText_data()
{
    styleSheetText_data();
}

// The loader's order: font, then font colour, then background.
void TestAppearance::viewSettersGiveSameText()
{
    QFETCH(QFont, font);
    QFETCH(QColor, fontColor);
    QFETCH(QColor, backColor);
    QFETCH(QString, expected);

    ZIvidView view;
    view.setTermFont(font);
    view.setFontColor(fontColor);
    view.setBackColor(backColor);
    QCOMPARE(view.styleSheet(), expected);
}

void TestAppearance::newViewHasNoStyleSheet()
{
    ZIvidView view;
    QVERIFY(view.styleSheet().isEmpty());
}

void TestAppearance::fontChangeKeepsColours()
{
    ZIvidView view;
    view.setFontColor(QColor(10, 20, 30));
    view.setBackColor(QColor(40, 50, 60));
    view.setTermFont(QFont(QStringLiteral("Courier New"), 14, QFont::Bold));

    QCOMPARE(view.styleSheet(),
             QStringLiteral("QTextEdit { font:75 14pt \"Courier New\";color:rgb(10,20,30);"
                            "background-color:rgb(40,50,60); }"));
    QCOMPARE(view.fontColor(), QColor(10, 20, 30));
    QCOMPARE(view.backColor(), QColor(40, 50, 60));
}

void TestAppearance::colourChangeKeepsFont()
{
    ZIvidView view;
    view.setTermFont(QFont(QStringLiteral("Mono Sans"), 8, QFont::Light, true));
    view.setFontColor(QColor(1, 2, 3));
    QCOMPARE(view.styleSheet(),
             QStringLiteral("QTextEdit { font:italic 25 8pt \"Mono Sans\";color:rgb(1,2,3);"
                            "background-color:rgb(67,136,101); }"));
    view.setBackColor(QColor(4, 5, 6));
    QCOMPARE(view.styleSheet(),
             QStringLiteral("QTextEdit { font:italic 25 8pt \"Mono Sans\";color:rgb(1,2,3);"
                            "background-color:rgb(4,5,6); }"));
    QCOMPARE(view.termFont().family(), QStringLiteral("Mono Sans"));
}

void TestAppearance::alphaKeptInStoredColour()
{
    ZIvidView view;
    view.setFontColor(QColor(200, 100, 50, 70));
    view.setBackColor(QColor(5, 6, 7, 0));
    QCOMPARE(view.fontColor().alpha(), 70);
    QCOMPARE(view.backColor().alpha(), 0);
    QVERIFY(view.styleSheet().contains(QLatin1String("color:rgb(200,100,50);")));
    QVERIFY(view.styleSheet().contains(QLatin1String("background-color:rgb(5,6,7);")));
}

void TestAppearance::invalidFontColourIgnored()
{
    ZIvidView view;
    view.setTermFont(courier());
    view.setFontColor(QColor(9, 8, 7));
    const QString before = view.styleSheet();

    view.setFontColor(QColor(QStringLiteral("not a colour")));
    view.setFontColor(QColor());

    QCOMPARE(view.fontColor(), QColor(9, 8, 7));
    QCOMPARE(view.styleSheet(), before);
}

void TestAppearance::invalidBackColourStoredAsBlack()
{
    ZIvidView view;
    view.setTermFont(courier());
    view.setBackColor(QColor(QStringLiteral("not a colour")));

    QVERIFY(!view.backColor().isValid());
    QCOMPARE(view.styleSheet(),
             QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";color:rgb(255,255,255);"
                            "background-color:rgb(0,0,0); }"));
}

// The three commands as the user reaches them: the window's actions, wired
// to the console's slots.
void TestAppearance::cancelledDialogChangesNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialogClass");
    QTest::addColumn<QString>("title");

    QTest::newRow("font") << QStringLiteral("action_Font") << QStringLiteral("QFontDialog")
                          << QString();
    QTest::newRow("font colour") << QStringLiteral("action_FontColor")
                                 << QStringLiteral("QColorDialog") << QStringLiteral("Font color");
    QTest::newRow("background colour")
        << QStringLiteral("actionBackground_color") << QStringLiteral("QColorDialog")
        << QStringLiteral("Background color");
}

void TestAppearance::cancelledDialogChangesNothing()
{
    QFETCH(QString, action);
    QFETCH(QString, dialogClass);
    QFETCH(QString, title);

    FakeDeviceSource noDevices;
    TarnTerm window;
    window.setDeviceSource(&noDevices);
    auto *view = window.findChild<ZIvidView *>();
    QVERIFY(view);
    const QString before = view->styleSheet();
    const QFont font = view->termFont();
    const QColor fontColor = view->fontColor();
    const QColor backColor = view->backColor();

    ModalWatcher watcher; // rejects
    window.findChild<QAction *>(action)->trigger();

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.className(), dialogClass);
    if (!title.isEmpty())
        QCOMPARE(watcher.title(), title);
    QCOMPARE(view->styleSheet(), before);
    QCOMPARE(view->termFont(), font);
    QCOMPARE(view->fontColor(), fontColor);
    QCOMPARE(view->backColor(), backColor);
}

void TestAppearance::confirmedColourDialogApplies_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected");

    QTest::newRow("font colour") << QStringLiteral("action_FontColor")
                                 << QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";"
                                                   "color:rgb(12,34,56);"
                                                   "background-color:rgb(67,136,101); }");
    QTest::newRow("background colour") << QStringLiteral("actionBackground_color")
                                       << QStringLiteral("QTextEdit { font:50 10pt \"Courier New\";"
                                                         "color:rgb(255,255,255);"
                                                         "background-color:rgb(12,34,56); }");
}

void TestAppearance::confirmedColourDialogApplies()
{
    QFETCH(QString, action);
    QFETCH(QString, expected);

    FakeDeviceSource noDevices;
    TarnTerm window;
    window.setDeviceSource(&noDevices);
    auto *view = window.findChild<ZIvidView *>();

    ModalWatcher watcher([](QWidget *modal) {
        auto *dialog = qobject_cast<QColorDialog *>(modal);
        if (!dialog) {
            modal->close();
            QFAIL("not the colour dialog");
        }
        dialog->setCurrentColor(QColor(12, 34, 56));
        dialog->accept();
    });
    window.findChild<QAction *>(action)->trigger();

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(view->styleSheet(), expected);
}

void TestAppearance::confirmedFontDialogApplies()
{
    ZIvidView view;
    view.setAppearancePicker(std::make_shared<DialogAppearancePicker>());
    view.setTermFont(courier());
    view.setFontColor(QColor(1, 1, 1));
    view.setBackColor(QColor(2, 2, 2));

    QFont chosen;
    ModalWatcher watcher([&chosen](QWidget *modal) {
        auto *dialog = qobject_cast<QFontDialog *>(modal);
        if (!dialog) {
            modal->close();
            QFAIL("not the font dialog");
        }
        QFont font = dialog->currentFont();
        font.setPointSize(17);
        dialog->setCurrentFont(font);
        chosen = dialog->currentFont();
        dialog->accept();
    });
    view.changeFont();

    QCOMPARE(watcher.count(), 1);
    QCOMPARE(view.termFont().pointSize(), 17);
    QCOMPARE(view.termFont(), chosen);
    QCOMPARE(view.styleSheet(), consoleStyleSheet(chosen, QColor(1, 1, 1), QColor(2, 2, 2)));
}

void TestAppearance::confirmUnchangedRebuildsSameText()
{
    ZIvidView view;
    view.setAppearancePicker(std::make_shared<DialogAppearancePicker>());
    view.setTermFont(courier());
    view.setFontColor(QColor(100, 110, 120));
    view.setBackColor(QColor(130, 140, 150));
    const QString before = view.styleSheet();

    ModalWatcher watcher([](QWidget *modal) { qobject_cast<QDialog *>(modal)->accept(); });
    view.changeFontColor();
    view.changeBackColor();

    QCOMPARE(watcher.count(), 2);
    QCOMPARE(view.fontColor(), QColor(100, 110, 120));
    QCOMPARE(view.backColor(), QColor(130, 140, 150));
    QCOMPARE(view.styleSheet(), before);
}

// The sheet's weights are not what a style sheet reads; the text is drawn
// in the chosen font itself.
void TestAppearance::drawsInTheChosenWeight()
{
    ZIvidView view;
    view.setTermFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11, QFont::Bold));
    QCOMPARE(view.drawingFont(), view.termFont());
    QVERIFY(QFontInfo(view.drawingFont()).bold());
    view.setTermFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11, QFont::Normal));
    QCOMPARE(QFontInfo(view.drawingFont()).weight(), int(QFont::Normal));
}

void TestAppearance::missingFamilyDrawsInAFixedFont()
{
    ZIvidView view;
    view.setAppearancePicker(std::make_shared<DialogAppearancePicker>());
    view.setTermFont(QFont(QStringLiteral("No Such Face At All"), 13, QFont::Bold, true));
    const QFont drawn = view.drawingFont();
    const QFontMetricsF metrics(drawn);
    QVERIFY2(metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('W')),
             qPrintable(QFontInfo(drawn).family()));
    QCOMPARE(drawn.pointSize(), 13);
    QVERIFY(drawn.bold() && drawn.italic());
    QCOMPARE(view.termFont().family(), QStringLiteral("No Such Face At All"));

    QFont offered;
    ModalWatcher watcher([&offered](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFontDialog *>(modal))
            offered = dialog->currentFont();
        modal->close();
    });
    view.changeFont();
    QCOMPARE(watcher.count(), 1);
    QCOMPARE(QFontInfo(offered).family(), QFontInfo(drawn).family());
    QCOMPARE(view.termFont().family(), QStringLiteral("No Such Face At All"));
}

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
