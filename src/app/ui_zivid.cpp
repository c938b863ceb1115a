#include "ui_zivid.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QAction *makeAction(QMainWindow *window, const char *name, const char *iconFile = nullptr)
{
    auto *action = new QAction(window);
    action->setObjectName(QString::fromLatin1(name));
    if (iconFile) {
        QIcon icon;
        icon.addFile(QString::fromLatin1(iconFile), QSize(), QIcon::Normal, QIcon::Off);
        action->setIcon(icon);
    }
    return action;
}

QString translate(const char *text)
{
    return QApplication::translate("ZIvid", text, nullptr);
}

} // namespace

namespace Ui {

void ZIvid::setupUi(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("ZIvid"));
    window->resize(800, 600);
    window->setMinimumSize(QSize(640, 480));
    QFont font;
    font.setFamily(QStringLiteral("Lucida Console"));
    font.setPointSize(10);
    window->setFont(font);
    QIcon logo;
    logo.addFile(QStringLiteral(":/ZIvid/images/TARNWICK_LOGO.png"), QSize(), QIcon::Normal, QIcon::Off);
    window->setWindowIcon(logo);

    actionE_xit = makeAction(window, "actionE_xit", ":/ZIvid/images/delete.png");
    action_Font = makeAction(window, "action_Font", ":/ZIvid/images/edit.png");
    action_FontColor = makeAction(window, "action_FontColor", ":/ZIvid/images/palette.png");
    actionAbout_This_Program = makeAction(window, "actionAbout_This_Program", ":/ZIvid/images/info.png");
    actionFunction_Settings = makeAction(window, "actionFunction_Settings", ":/ZIvid/images/menu.png");
    action_Toolbar = makeAction(window, "action_Toolbar", ":/ZIvid/images/rightup.png");
    action_Toolbar->setCheckable(true);
    action_Toolbar->setChecked(false);
    actionCa_pture = makeAction(window, "actionCa_pture", ":/ZIvid/images/saveas.png");
    action_Clear_Screen = makeAction(window, "action_Clear_Screen", ":/ZIvid/images/erase.png");
    actionHexa_Mode = makeAction(window, "actionHexa_Mode", ":/ZIvid/images/hexa.png");
    actionHexa_Mode->setCheckable(true);
    actionHexa_Mode->setChecked(true);
    actionHexa_Mode->setEnabled(true);
    actionBackground_color = makeAction(window, "actionBackground_color", ":/ZIvid/images/palette.png");
    actionEnter_with_Return = makeAction(window, "actionEnter_with_Return");
    actionEnter_with_Return->setCheckable(true);
    actionEnter_with_Return->setChecked(true);
    actionHold_Output = makeAction(window, "actionHold_Output");
    actionHold_Output->setCheckable(true);
    actionTerminal_Keys = makeAction(window, "actionTerminal_Keys");
    actionTerminal_Keys->setCheckable(true);
    actionFind = makeAction(window, "actionFind", ":/ZIvid/images/find.png");
    actionSend_File = makeAction(window, "actionSend_File");
    timestampsGroup = new QActionGroup(window);
    actionTimestamps_Off = makeAction(window, "actionTimestamps_Off");
    actionTimestamps_Clock = makeAction(window, "actionTimestamps_Clock");
    actionTimestamps_Since_Previous = makeAction(window, "actionTimestamps_Since_Previous");
    for (QAction *action : {actionTimestamps_Off, actionTimestamps_Clock, actionTimestamps_Since_Previous}) {
        action->setCheckable(true);
        timestampsGroup->addAction(action);
    }
    actionTimestamps_Off->setChecked(true);
    actionDevice_Colours = makeAction(window, "actionDevice_Colours");
    actionDevice_Colours->setCheckable(true);
    actionUTF_8 = makeAction(window, "actionUTF_8");
    actionUTF_8->setCheckable(true);
    actionSend_Line = makeAction(window, "actionSend_Line");
    actionSend_Line->setCheckable(true);
    actionDTR = makeAction(window, "actionDTR");
    actionDTR->setCheckable(true);
    actionRTS = makeAction(window, "actionRTS");
    actionRTS->setCheckable(true);
    actionSend_Break = makeAction(window, "actionSend_Break");
    actionPulse_DTR = makeAction(window, "actionPulse_DTR");
    actionESP32_Reset = makeAction(window, "actionESP32_Reset");
    actionBootloader_Touch = makeAction(window, "actionBootloader_Touch");
    actionLine_Editing = makeAction(window, "actionLine_Editing");
    actionLine_Editing->setCheckable(true);

    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    verticalLayout = new QVBoxLayout(centralwidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    textGroup = new QGroupBox(centralwidget);
    textGroup->setObjectName(QStringLiteral("textGroup"));
    verticalLayout->addWidget(textGroup);
    hexaGroup = new QGroupBox(centralwidget);
    hexaGroup->setObjectName(QStringLiteral("hexaGroup"));
    verticalLayout->addWidget(hexaGroup);
    window->setCentralWidget(centralwidget);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menubar->setGeometry(QRect(0, 0, 800, 23));
    menu_File = new QMenu(menubar);
    menu_File->setObjectName(QStringLiteral("menu_File"));
    menuConfigure = new QMenu(menubar);
    menuConfigure->setObjectName(QStringLiteral("menuConfigure"));
    // Says why "Enter with Return" is greyed out while Terminal Keys is on.
    menuConfigure->setToolTipsVisible(true);
    menu_Help = new QMenu(menubar);
    menu_Help->setObjectName(QStringLiteral("menu_Help"));
    menu_View = new QMenu(menubar);
    menu_View->setObjectName(QStringLiteral("menu_View"));
    menuTimestamps = new QMenu(menu_View);
    menuTimestamps->setObjectName(QStringLiteral("menuTimestamps"));
    menuDevice = new QMenu(menubar);
    menuDevice->setObjectName(QStringLiteral("menuDevice"));
    menuReset_Device = new QMenu(menuDevice);
    menuReset_Device->setObjectName(QStringLiteral("menuReset_Device"));
    window->setMenuBar(menubar);

    statusbar = new QStatusBar(window);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    window->setStatusBar(statusbar);

    toolBar = new QToolBar(window);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    window->addToolBar(Qt::TopToolBarArea, toolBar);

    menubar->addAction(menu_File->menuAction());
    menubar->addAction(menu_View->menuAction());
    menubar->addAction(menuDevice->menuAction());
    menubar->addAction(menuConfigure->menuAction());
    menubar->addAction(menu_Help->menuAction());

    menu_File->addAction(actionE_xit);
    menu_File->addSeparator();
    menu_File->addAction(actionCa_pture);
    menu_File->addAction(actionFind);
    menu_File->addAction(actionSend_File);
    menuConfigure->addAction(actionFunction_Settings);
    menuConfigure->addSeparator();
    menuConfigure->addAction(action_Font);
    menuConfigure->addAction(action_FontColor);
    menuConfigure->addAction(actionBackground_color);
    menuConfigure->addSeparator();
    menuConfigure->addAction(actionEnter_with_Return);
    menuConfigure->addAction(actionTerminal_Keys);
    menu_Help->addAction(actionAbout_This_Program);
    menu_View->addAction(action_Toolbar);
    menu_View->addSeparator();
    menu_View->addAction(action_Clear_Screen);
    menu_View->addSeparator();
    menu_View->addAction(actionHexa_Mode);
    menu_View->addAction(actionSend_Line);
    menu_View->addSeparator();
    menu_View->addAction(menuTimestamps->menuAction());
    menuTimestamps->addActions(timestampsGroup->actions());
    menu_View->addAction(actionHold_Output);
    menu_View->addAction(actionDevice_Colours);
    menu_View->addAction(actionUTF_8);
    menu_View->addAction(actionLine_Editing);
    menuDevice->addAction(actionDTR);
    menuDevice->addAction(actionRTS);
    menuDevice->addSeparator();
    menuDevice->addAction(actionSend_Break);
    menuDevice->addAction(menuReset_Device->menuAction());
    menuReset_Device->addAction(actionPulse_DTR);
    menuReset_Device->addAction(actionESP32_Reset);
    menuReset_Device->addAction(actionBootloader_Touch);

    toolBar->addAction(actionCa_pture);
    toolBar->addAction(actionFind);
    toolBar->addSeparator();
    toolBar->addAction(action_Font);
    toolBar->addAction(action_FontColor);
    toolBar->addAction(actionBackground_color);
    toolBar->addSeparator();
    toolBar->addAction(action_Clear_Screen);
    toolBar->addAction(actionHexa_Mode);
    toolBar->addSeparator();
    toolBar->addAction(actionFunction_Settings);

    retranslateUi(window);

    QMetaObject::connectSlotsByName(window);
}

void ZIvid::retranslateUi(QMainWindow *window)
{
    window->setWindowTitle(translate("TarnwickTerm"));
    actionE_xit->setText(translate("Exit"));
    actionE_xit->setShortcut(QKeySequence(translate("Alt+X")));
    action_Font->setText(translate("Font"));
    action_FontColor->setText(translate("Font color"));
    actionAbout_This_Program->setText(translate("About This Program"));
    actionFunction_Settings->setText(translate("Function Settings"));
    actionFunction_Settings->setShortcut(QKeySequence(translate("Alt+F")));
    action_Toolbar->setText(translate("Toolbar Hide"));
    actionCa_pture->setText(translate("SaveCapture"));
    actionCa_pture->setShortcut(QKeySequence(translate("Alt+S")));
    action_Clear_Screen->setText(translate("Clear Screen"));
    action_Clear_Screen->setShortcut(QKeySequence(translate("Alt+A")));
    actionHexa_Mode->setText(translate("Hexa View"));
    actionHexa_Mode->setToolTip(translate("Hexa View"));
    actionHexa_Mode->setShortcut(QKeySequence(translate("Alt+H")));
    actionBackground_color->setText(translate("Background color"));
    actionBackground_color->setToolTip(translate("Background color"));
    actionEnter_with_Return->setText(translate("Enter with Return"));
    actionHold_Output->setText(translate("Hold Output"));
    actionTerminal_Keys->setText(translate("Terminal Keys"));
    actionTerminal_Keys->setToolTip(translate("Send arrows, Home, End, Delete, Page Up/Down, Tab and Esc as a terminal does"));
    // No shortcut: every key but the Alt ones above goes to the device.
    actionFind->setText(translate("Find…"));
    actionFind->setToolTip(translate("Find"));
    actionSend_File->setText(translate("Send File…"));
    actionDevice_Colours->setText(translate("Device Colours"));
    actionUTF_8->setText(translate("UTF-8"));
    actionUTF_8->setToolTip(translate("Show what the device sends, and send what you type, as UTF-8"));
    actionSend_Line->setText(translate("Send Line"));
    actionDTR->setText(translate("DTR"));
    actionRTS->setText(translate("RTS"));
    actionSend_Break->setText(translate("Send Break"));
    actionPulse_DTR->setText(translate("Pulse DTR"));
    actionESP32_Reset->setText(translate("ESP32 Reset"));
    actionBootloader_Touch->setText(translate("Bootloader (1200 baud touch)"));
    actionLine_Editing->setText(translate("Line Editing"));
    actionLine_Editing->setToolTip(translate("Apply the device's cursor moves and line edits, as a terminal does"));
    textGroup->setTitle(QString());
    hexaGroup->setTitle(QString());
    menu_File->setTitle(translate("&Main"));
    menuConfigure->setTitle(translate("&Configure"));
    menu_Help->setTitle(translate("&Help"));
    menu_View->setTitle(translate("&View"));
    menuDevice->setTitle(translate("&Device"));
    menuReset_Device->setTitle(translate("Reset Device"));
    menuTimestamps->setTitle(translate("Timestamps"));
    actionTimestamps_Off->setText(translate("Off"));
    actionTimestamps_Clock->setText(translate("Clock"));
    actionTimestamps_Since_Previous->setText(translate("Since previous line"));
    toolBar->setWindowTitle(translate("toolBar"));
}

} // namespace Ui
