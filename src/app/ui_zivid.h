#pragma once

class QAction;
class QActionGroup;
class QGroupBox;
class QMainWindow;
class QMenu;
class QMenuBar;
class QStatusBar;
class QToolBar;
class QVBoxLayout;
class QWidget;

namespace Ui {

// The main window's form: actions, menus, tool bar, status bar and the two
// group boxes. It places widgets only; the window wires every signal.
class ZIvid
{
public:
    QAction *actionE_xit = nullptr;
    QAction *action_Font = nullptr;
    QAction *action_FontColor = nullptr;
    QAction *actionAbout_This_Program = nullptr;
    QAction *actionFunction_Settings = nullptr;
    QAction *action_Toolbar = nullptr;
    QAction *actionCa_pture = nullptr;
    QAction *action_Clear_Screen = nullptr;
    QAction *actionHexa_Mode = nullptr;
    QAction *actionBackground_color = nullptr;
    QAction *actionEnter_with_Return = nullptr;
    QAction *actionHold_Output = nullptr;
    QAction *actionTerminal_Keys = nullptr;
    QAction *actionFind = nullptr;
    QAction *actionSend_File = nullptr;
    QAction *actionTimestamps_Off = nullptr;
    QAction *actionTimestamps_Clock = nullptr;
    QAction *actionTimestamps_Since_Previous = nullptr;
    QActionGroup *timestampsGroup = nullptr;
    QAction *actionDevice_Colours = nullptr;
    QAction *actionUTF_8 = nullptr;
    QAction *actionSend_Line = nullptr;
    QAction *actionDTR = nullptr;
    QAction *actionRTS = nullptr;
    QAction *actionSend_Break = nullptr;
    QAction *actionPulse_DTR = nullptr;
    QAction *actionESP32_Reset = nullptr;
    QAction *actionBootloader_Touch = nullptr;
    QAction *actionLine_Editing = nullptr;
    QWidget *centralwidget = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QGroupBox *textGroup = nullptr;
    QGroupBox *hexaGroup = nullptr;
    QMenuBar *menubar = nullptr;
    QMenu *menu_File = nullptr;
    QMenu *menuConfigure = nullptr;
    QMenu *menu_Help = nullptr;
    QMenu *menu_View = nullptr;
    QMenu *menuTimestamps = nullptr;
    QMenu *menuDevice = nullptr;
    QMenu *menuReset_Device = nullptr;
    QStatusBar *statusbar = nullptr;
    QToolBar *toolBar = nullptr;

    void setupUi(QMainWindow *window);
    void retranslateUi(QMainWindow *window);
};

} // namespace Ui
