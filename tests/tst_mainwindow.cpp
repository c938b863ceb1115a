#include "altkeystaken.h"
#include "messagelog.h"
#include "qtcompat.h"
#include "tarnterm.h"
#include "testenvironment.h"
#include "ui_zivid.h"
#include "zividview.h"
#include "hexview.h"

#include <QAction>
#include <QGroupBox>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// "-" stands for a separator.
QStringList entries(const QWidget *widget)
{
    QStringList names;
    for (QAction *action : widget->actions())
        names << (action->isSeparator() ? QStringLiteral("-")
                  : action->menu()      ? action->menu()->objectName()
                                        : action->objectName());
    return names;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTestEnvironment(); }
    void init() { settingsStore().clear(); }

    void actions_data();
    void actions();
    void formStartsWithHexViewAndEnterOn();
    void menusAndToolBar();
    void window();
    void shortcuts();
    void altKeysTakenByTheWindow();
    void terminalKeysGreyOutEnterWithReturn();
    void storedPosition_data();
    void storedPosition();
    void toolbarHideTogglesTheToolBar();
    void hexViewShowsOnlyItsGroup();
    void disconnectedAtStart();
    void closingShutsDownInOrder_data();
    void closingShutsDownInOrder();
};

void MainWindowTest::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("hasIcon");

    QTest::newRow("exit") << "actionE_xit" << "Exit" << "Alt+X" << "Exit" << false << true;
    QTest::newRow("font") << "action_Font" << "Font" << "" << "Font" << false << true;
    QTest::newRow("font colour") << "action_FontColor" << "Font color" << "" << "Font color" << false << true;
    QTest::newRow("about") << "actionAbout_This_Program" << "About This Program" << "" << "About This Program" << false << true;
    QTest::newRow("function keys") << "actionFunction_Settings" << "Function Settings" << "Alt+F" << "Function Settings" << false << true;
    QTest::newRow("tool bar") << "action_Toolbar" << "Toolbar Hide" << "" << "Toolbar Hide" << true << true;
    QTest::newRow("capture") << "actionCa_pture" << "SaveCapture" << "Alt+S" << "SaveCapture" << false << true;
    QTest::newRow("clear") << "action_Clear_Screen" << "Clear Screen" << "Alt+A" << "Clear Screen" << false << true;
    QTest::newRow("hex") << "actionHexa_Mode" << "Hexa View" << "Alt+H" << "Hexa View" << true << true;
    QTest::newRow("background") << "actionBackground_color" << "Background color" << "" << "Background color" << false << true;
    QTest::newRow("send file") << "actionSend_File" << "Send File…" << "" << "Send File…" << false << false;
    QTest::newRow("enter") << "actionEnter_with_Return" << "Enter with Return" << "" << "Enter with Return" << true << false;
}

void MainWindowTest::actions()
{
    QFETCH(QString, name);
    TarnTerm window;
    auto *action = window.findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->parent(), &window);
    QTEST(action->text(), "text");
    QTEST(action->shortcut().toString(), "shortcut");
    // Without a tool tip of its own an action shows its text.
    QTEST(action->toolTip(), "toolTip");
    QTEST(action->isCheckable(), "checkable");
    QTEST(!action->icon().isNull(), "hasIcon");
}

void MainWindowTest::formStartsWithHexViewAndEnterOn()
{
    QMainWindow bare;
    Ui::ZIvid form;
    form.setupUi(&bare);
    QCOMPARE(bare.objectName(), QStringLiteral("ZIvid"));
    QCOMPARE(bare.windowTitle(), QStringLiteral("TarnwickTerm"));
    QVERIFY(form.actionHexa_Mode->isChecked());
    QVERIFY(form.actionHexa_Mode->isEnabled());
    QVERIFY(form.actionEnter_with_Return->isChecked());
    QVERIFY(!form.action_Toolbar->isChecked());
    QCOMPARE(form.verticalLayout->indexOf(form.textGroup), 0);
    QCOMPARE(form.verticalLayout->indexOf(form.hexaGroup), 1);
    QVERIFY(form.textGroup->title().isEmpty());
    QCOMPARE(form.toolBar->windowTitle(), QStringLiteral("toolBar"));
    // The two colour commands share their picture.
    QCOMPARE(form.action_FontColor->icon().pixmap(48).toImage(),
             form.actionBackground_color->icon().pixmap(48).toImage());
    QCOMPARE(form.actionE_xit->icon().availableSizes().value(0), QSize(48, 48));
}

void MainWindowTest::menusAndToolBar()
{
    TarnTerm window;
    auto *bar = window.findChild<QMenuBar *>(QStringLiteral("menubar"));
    QVERIFY(bar);
    QStringList titles;
    for (QAction *action : bar->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList {"&Main", "&View", "&Device", "&Configure", "&Help"}));

    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menu_File"))),
             (QStringList {"actionE_xit", "-", "actionCa_pture", "actionFind", "actionSend_File"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menu_View"))),
             (QStringList {"action_Toolbar", "-", "action_Clear_Screen", "-", "actionHexa_Mode", "actionSend_Line",
                           "-", "menuTimestamps", "actionHold_Output", "actionDevice_Colours", "actionUTF_8",
                           "actionLine_Editing"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menuDevice"))),
             (QStringList {"actionDTR", "actionRTS", "-", "actionSend_Break", "menuReset_Device"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menuReset_Device"))),
             (QStringList {"actionPulse_DTR", "actionESP32_Reset", "actionBootloader_Touch"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menuTimestamps"))),
             (QStringList {"actionTimestamps_Off", "actionTimestamps_Clock", "actionTimestamps_Since_Previous"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menuConfigure"))),
             (QStringList {"actionFunction_Settings", "-", "action_Font", "action_FontColor",
                           "actionBackground_color", "-", "actionEnter_with_Return", "actionTerminal_Keys"}));
    QCOMPARE(entries(window.findChild<QMenu *>(QStringLiteral("menu_Help"))),
             QStringList {"actionAbout_This_Program"});
    QCOMPARE(entries(window.findChild<QToolBar *>(QStringLiteral("toolBar"))),
             (QStringList {"actionCa_pture", "actionFind", "-", "action_Font", "action_FontColor",
                           "actionBackground_color", "-", "action_Clear_Screen", "actionHexa_Mode",
                           "-", "actionFunction_Settings"}));
}

void MainWindowTest::window()
{
    TarnTerm window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarnwick's Terminal V3.07"));
    QCOMPARE(window.minimumSize(), QSize(640, 480));
    QCOMPARE(window.size(), QSize(800, 600));
    QCOMPARE(window.pos(), QPoint(25, 25));
    QCOMPARE(window.font().family(), QStringLiteral("Lucida Console"));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(window.findChild<QAction *>(QStringLiteral("actionEnter_with_Return"))->isChecked());
    // No stored hex mode: the action comes out of the settings unchecked.
    QVERIFY(!window.findChild<QAction *>(QStringLiteral("actionHexa_Mode"))->isChecked());
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("getting previews settings..."));
    // Hovering a menu entry, which has no status tip, leaves the line be.
    auto *clear = window.findChild<QAction *>(QStringLiteral("action_Clear_Screen"));
    QVERIFY(clear->menu() == nullptr && clear->statusTip().isEmpty());
    for (QWidget *shownIn : QtCompat::associatedWidgets(clear))
        clear->showStatusText(shownIn);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("getting previews settings..."));
    window.resize(100, 100);
    QCOMPARE(window.size(), QSize(640, 480));
}

void MainWindowTest::shortcuts()
{
    TarnTerm window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *hexa = window.findChild<QAction *>(QStringLiteral("actionHexa_Mode"));
    auto *clear = window.findChild<QAction *>(QStringLiteral("action_Clear_Screen"));
    QSignalSpy cleared(clear, &QAction::triggered);

    // Alt+H is also the Help menu's mnemonic; it must still toggle the hex view.
    for (bool expected : {true, false, true}) {
        QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
        QCOMPARE(hexa->isChecked(), expected);
    }
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    QCOMPARE(cleared.count(), 1);
    auto *device = window.findChild<QMenu *>(QStringLiteral("menuDevice"));
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(device->isVisible());
    device->close();
    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(!window.isVisible());
}

// The README lists these: Alt with any other key goes to the device with
// Terminal Keys on. A new menu or Alt shortcut must be added there too.
void MainWindowTest::altKeysTakenByTheWindow()
{
    TarnTerm window;
    const QSet<int> expected {Qt::Key_A, Qt::Key_C, Qt::Key_D, Qt::Key_F, Qt::Key_H,
                              Qt::Key_M, Qt::Key_S, Qt::Key_V, Qt::Key_X};
    QCOMPARE(AltKeysTaken(&window).keys(), expected);
}

void MainWindowTest::terminalKeysGreyOutEnterWithReturn()
{
    TarnTerm window;
    auto *enter = window.findChild<QAction *>(QStringLiteral("actionEnter_with_Return"));
    auto *terminalKeys = window.findChild<QAction *>(QStringLiteral("actionTerminal_Keys"));
    QVERIFY(QtCompat::associatedWidgets(enter).first()->property("toolTipsVisible").toBool());
    for (bool checked : {false, true}) {
        enter->setChecked(checked);
        terminalKeys->setChecked(true);
        QVERIFY(!enter->isEnabled());
        QVERIFY(enter->toolTip().contains(QStringLiteral("Terminal Keys")));
        QCOMPARE(enter->isChecked(), checked);
        terminalKeys->setChecked(false);
        QVERIFY(enter->isEnabled());
        QCOMPARE(enter->toolTip(), enter->text());
    }
}

void MainWindowTest::storedPosition_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("pos");

    QTest::newRow("ordinary") << QPoint(300, -40) << QPoint(300, -40);
    QTest::newRow("origin means unset") << QPoint(0, 0) << QPoint(25, 25);
    QTest::newRow("one coordinate 0") << QPoint(0, 90) << QPoint(0, 90);
    // Off every screen: onto the offscreen platform's one, 800 by 600.
    QTest::newRow("beyond Qt's geometry range") << QPoint(2147483600, -2147483000) << QPoint(0, 0);
}

void MainWindowTest::storedPosition()
{
    QFETCH(QPoint, stored);
    settingsStore().setValue(QStringLiteral("pos"), stored);
    TarnTerm window;
    QTEST(window.pos(), "pos");
    QCOMPARE(window.size(), QSize(800, 600));
}

void MainWindowTest::toolbarHideTogglesTheToolBar()
{
    TarnTerm window;
    window.show();
    auto *toolBar = window.findChild<QToolBar *>(QStringLiteral("toolBar"));
    auto *hide = window.findChild<QAction *>(QStringLiteral("action_Toolbar"));
    QVERIFY(toolBar->isVisible());
    hide->trigger();
    QVERIFY(!toolBar->isVisible());
    hide->trigger();
    QVERIFY(toolBar->isVisible());
}

void MainWindowTest::hexViewShowsOnlyItsGroup()
{
    TarnTerm window;
    window.show();
    auto *hexa = window.findChild<QAction *>(QStringLiteral("actionHexa_Mode"));
    auto *hexaGroup = window.findChild<QGroupBox *>(QStringLiteral("hexaGroup"));
    auto *textGroup = window.findChild<QGroupBox *>(QStringLiteral("textGroup"));
    QVERIFY(!hexaGroup->isVisible());
    hexa->trigger();
    QVERIFY(hexaGroup->isVisible());
    QVERIFY(textGroup->isVisible());
    // Still disconnected: both groups are empty frames.
    QVERIFY(!window.findChild<HexView *>()->isVisible());
    QVERIFY(!window.findChild<ZIvidView *>()->isVisible());
    hexa->trigger();
    QVERIFY(!hexaGroup->isVisible());
    QVERIFY(textGroup->isVisible());
}

void MainWindowTest::disconnectedAtStart()
{
    TarnTerm window;
    window.show();
    auto *console = window.findChild<ZIvidView *>();
    auto *hex = window.findChild<HexView *>();
    QVERIFY(console && hex);
    QCOMPARE(console->parentWidget(), window.findChild<QGroupBox *>(QStringLiteral("textGroup")));
    QCOMPARE(hex->parentWidget(), window.findChild<QGroupBox *>(QStringLiteral("hexaGroup")));
    QVERIFY(!console->isEnabled() && console->isHidden());
    QVERIFY(!hex->isEnabled() && hex->isHidden());
    QVERIFY(hex->isReadOnly());
    QVERIFY(!window.currentPort());
}

void MainWindowTest::closingShutsDownInOrder_data()
{
    QTest::addColumn<bool>("debugLines");
    QTest::newRow("window's debug lines on") << true;
    QTest::newRow("default: none") << false;
}

void MainWindowTest::closingShutsDownInOrder()
{
    QFETCH(bool, debugLines);
    QLoggingCategory::setFilterRules(debugLines ? QStringLiteral("tarnterm.window.debug=true") : QString());
    MessageLog log;
    auto *window = new TarnTerm;
    window->show();
    window->move(140, 90);
    QVERIFY(window->close());
    QCOMPARE(log.lines().contains(QStringLiteral("closeEvent")), debugLines);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("store current settings..."));
    QVERIFY(settingsStore().contains(QStringLiteral("pos")));
    delete window;
    QCOMPARE(log.lines().contains(QStringLiteral("~TarnTerm")), debugLines);
    if (debugLines)
        QCOMPARE(log.lines().last(), QStringLiteral("~TarnTerm"));
    QLoggingCategory::setFilterRules(QString());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
