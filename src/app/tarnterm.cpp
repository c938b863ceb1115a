#include "tarnterm.h"

#include "altkeystaken.h"
#include "capturesaver.h"
#include "connectionbar.h"
#include "connectionpresenter.h"
#include "connectionwatch.h"
#include "dialogappearancepicker.h"
#include "findbar.h"
#include "functiondlg.h"
#include "hexview.h"
#include "keysender.h"
#include "largeselectionsaver.h"
#include "modempresenter.h"
#include "namedportsource.h"
#include "rawfilesender.h"
#include "receivefeed.h"
#include "receivelog.h"
#include "sendlinebar.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcutEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <utility>

const QString versionString = QStringLiteral("Tarnwick's Terminal V3.07");

namespace {

// Off by default, like every debug line; QT_LOGGING_RULES="tarnterm.window.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(windowLog, "tarnterm.window", QtInfoMsg)

} // namespace

TarnTerm::TarnTerm(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ui(new Ui::ZIvid)
{
    ui->setupUi(this);

    for (int i = 0; i < functionKeyCount; ++i) {
        const int key = Qt::Key_F1 + i;
        functionKeys.append({key, QString()});
        crFlags.append({key, false});
        lfFlags.append({key, false});
    }
    delay = 5;
    createKeySender();

    connect(ui->actionAbout_This_Program, &QAction::triggered, this, &TarnTerm::about);
    connect(ui->action_Toolbar, &QAction::toggled, ui->toolBar, &QToolBar::setHidden);
    // The window's context menu hides and shows the bar through the bar's
    // own toggle action; "Toolbar Hide" follows. isHidden() asks for the bar
    // alone, so hiding or minimising the whole window leaves the entry be.
    connect(ui->toolBar, &QToolBar::visibilityChanged, this,
            [this] { ui->action_Toolbar->setChecked(ui->toolBar->isHidden()); });
    connect(ui->actionHexa_Mode, &QAction::toggled, this, &TarnTerm::setHexamode);
    connect(ui->actionEnter_with_Return, &QAction::toggled, this, &TarnTerm::setEnterWithCR);
    ui->actionEnter_with_Return->setChecked(keySender->enterWithCR());

    termView = new ZIvidView(this);
    termView->setDisabled(true);
    termView->setAppearancePicker(std::make_shared<DialogAppearancePicker>());
    connect(termView, &ZIvidView::keyInput, this, &TarnTerm::keyInput);
    connect(ui->actionHold_Output, &QAction::toggled, termView, &ZIvidView::setHoldOutput);
    connect(ui->actionTerminal_Keys, &QAction::toggled, this, &TarnTerm::setTerminalKeys);
    auto *textLayout = new QHBoxLayout(ui->textGroup);
    textLayout->addWidget(termView);
    // Takes the console's place while no device is connected and there is
    // nothing to read; see ConnectionPresenter.
    waitingPanel = new WaitingPanel(ui->textGroup);
    textLayout->addWidget(waitingPanel);
    connectionBar = new ConnectionBar(ui->centralwidget);
    ui->verticalLayout->insertWidget(0, connectionBar);
    termView->setLargeSelectionSaver(LargeSelectionSaver(termView, connectionBar));
    findBar = new FindBar(termView, ui->centralwidget);
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->textGroup) + 1, findBar);
    connect(ui->actionFind, &QAction::triggered, findBar, &FindBar::open);
    createSendLine();
    createModemPresenter();
    createFileSend();
    receiveLog = new ReceiveLog(this);

    hexEdit = new HexView(nullptr);
    hexEdit->setDisabled(true);
    hexEdit->setReadOnly(true);
    auto *hexLayout = new QVBoxLayout(ui->hexaGroup);
    hexLayout->addWidget(hexEdit);
    receiveFeed = new ReceiveFeed(termView, hexEdit, this);
    watchReceiveLog();
    captureSaver = std::make_unique<CaptureSaver>(termView, receiveFeed, this, connectionBar);

    connect(ui->actionFunction_Settings, &QAction::triggered, this, &TarnTerm::functionSetting);
    connect(ui->action_Font, &QAction::triggered, termView, &ZIvidView::changeFont);
    connect(ui->action_FontColor, &QAction::triggered, termView, &ZIvidView::changeFontColor);
    connect(ui->actionBackground_color, &QAction::triggered, termView, &ZIvidView::changeBackColor);
    connect(ui->actionDevice_Colours, &QAction::toggled, termView, &ZIvidView::setDeviceColours);
    // What the device prints and what the user sends, in one encoding.
    connect(ui->actionUTF_8, &QAction::toggled, this, [this](bool on) {
        termView->setUtf8(on);
        keySender->setUtf8(on);
        sendLineBar->setUtf8(on);
    });
    connect(ui->actionLine_Editing, &QAction::toggled, termView, &ZIvidView::setLineEditing);
    // Answers to the device's cursor queries go straight back to it.
    termView->setReplySender([this](const QByteArray &bytes) {
        if (SerialPort *port = currentPort())
            port->writeBytes(bytes);
    });
    connect(termView, &ZIvidView::deviceTitleChanged, this, [this](const QString &title) {
        setWindowTitle(title.isEmpty() ? versionString : versionString + QStringLiteral(" \u2014 ") + title);
    });
    connect(ui->actionCa_pture, &QAction::triggered, this, &TarnTerm::saveCapture);
    connect(ui->action_Clear_Screen, &QAction::triggered, this, &TarnTerm::clearScreen);
    connect(ui->actionE_xit, &QAction::triggered, this, &TarnTerm::close);
    connectTimestamps();
    // Alt+H is both the Help menu's mnemonic and Hexa View's shortcut. Qt
    // then calls the key ambiguous and hands it to either in turn, so the
    // action would never fire; it goes to Hexa View whoever gets it.
    ui->menubar->installEventFilter(this);
    ui->actionHexa_Mode->installEventFilter(this);

    setWindowTitle(versionString);
    loadSettings();
    storeSettingsOnChange();

    createConnectionWatch();

    checkTimer = new QTimer(this);
    connect(checkTimer, &QTimer::timeout, this, &TarnTerm::checkConnection);
    checkTimer->start(1000);
}

TarnTerm::~TarnTerm()
{
    qCDebug(windowLog) << "~TarnTerm";
    // Before the watch drops the port: a send's last word would go to a bar
    // that is already gone.
    delete fileSender;
    delete ui;
}

SerialPort *TarnTerm::currentPort() const
{
    return watch->port();
}

// The function-key table and the delay stay the settings'; the sender reads
// them at every send. The port is looked up for every write: the watch may
// have dropped it since the last one.
void TarnTerm::createKeySender()
{
    keySender = new KeySender(
        {functionKeys, crFlags, lfFlags, delay},
        [this](const QByteArray &bytes) {
            SerialPort *port = currentPort();
            return port && port->writeBytes(bytes);
        },
        [this] { return currentPort() != nullptr; }, this);
    keySender->setAltTaken([taken = AltKeysTaken(this)](int key) { return taken.contains(key); });
    connect(keySender, &KeySender::writeFailed, this,
            [this] { showStatus(tr("Can't write through the serial port.")); });
}

void TarnTerm::createConnectionWatch()
{
    watch = new ConnectionWatch(this);
    connectionPresenter = new ConnectionPresenter({termView, hexEdit, waitingPanel, connectionBar}, watch,
                                                  keySender, receiveFeed, this);
    connect(watch, &ConnectionWatch::connected, this, [this](SerialPort *port) {
        connect(port, &SerialPort::readComm, this, &TarnTerm::readComm);
        connectionPresenter->showConnected();
        ui->hexaGroup->setVisible(hexamode);
        attachModemControl(port);
    });
    connect(watch, &ConnectionWatch::disconnected, connectionPresenter, &ConnectionPresenter::showDisconnected);
    connect(watch, &ConnectionWatch::disconnected, this, [this] { modemPresenter->attach(nullptr); });
    connect(watch, &ConnectionWatch::statusMessage, this, &TarnTerm::showStatus);
    connect(watch, &ConnectionWatch::openFailed, connectionPresenter, &ConnectionPresenter::showOpenFailure);
    watch->disconnectDevice();
}

void TarnTerm::checkConnection()
{
    watch->checkConnection();
}

void TarnTerm::setDeviceSource(DeviceSource *source)
{
    watch->setDeviceSource(source);
}

void TarnTerm::setPortName(const QString &portName)
{
    const NamedPortSource port(portName);
    watch->setPortFinder([port] { return port.presentPorts(); });
    waitingPanel->setPortName(port.portName());
}

void TarnTerm::setLogFile(const QString &fileName)
{
    if (fileName.isEmpty())
        receiveLog->close();
    else
        receiveLog->open(fileName);
}

void TarnTerm::setReceiveLog(ReceiveLog *log)
{
    delete receiveLog;
    receiveLog = log;
    receiveLog->setParent(this);
    watchReceiveLog();
}

// Every received byte goes to the log; a log that stops is said in the bar, where the watch's status messages
// cannot overwrite it, until the user closes it.
void TarnTerm::watchReceiveLog()
{
    receiveFeed->setReceiveLog(receiveLog);
    connect(receiveLog, &ReceiveLog::failed, this, [this](const QString &fileName, const QString &reason) {
        connectionBar->addNotice(tr("Can't write the log file %1 (%2); logging stopped.")
                                     .arg(QDir::toNativeSeparators(fileName), reason));
    });
}

void TarnTerm::setCaptureFileNameProvider(std::function<QString()> provider)
{
    captureSaver->setFileNameProvider(std::move(provider));
}

void TarnTerm::setArrivalClock(std::function<qint64()> clock)
{
    receiveFeed->setArrivalClock(std::move(clock));
}

void TarnTerm::connectTimestamps()
{
    const std::pair<QAction *, TimestampMode> modes[] = {
        {ui->actionTimestamps_Off, TimestampMode::Off},
        {ui->actionTimestamps_Clock, TimestampMode::Clock},
        {ui->actionTimestamps_Since_Previous, TimestampMode::SincePrevious},
    };
    for (const auto &[action, mode] : modes) {
        connect(action, &QAction::toggled, this, [this, mode = mode](bool on) {
            if (on)
                termView->setTimestampMode(mode);
        });
    }
}

void TarnTerm::showStatus(const QString &text)
{
    statusBar()->showMessage(text, 0);
}

void TarnTerm::setHexamode(bool on)
{
    hexamode = on;
    ui->hexaGroup->setVisible(on);
}

void TarnTerm::setEnterWithCR(bool on)
{
    keySender->setEnterWithCR(on);
}

// Terminal keys send CR alone for Enter; the Enter mode is kept as set, for
// when they go off again.
void TarnTerm::setTerminalKeys(bool on)
{
    keySender->setTerminalKeys(on);
    termView->setTerminalShortcuts(on);
    ui->actionEnter_with_Return->setEnabled(!on);
    ui->actionEnter_with_Return->setToolTip(
        on ? tr("Terminal Keys is on: Enter sends CR alone, as a terminal does") : QString());
}

void TarnTerm::keyInput(int key, QString text)
{
    if (key == ZIvidView::pasteKey)
        keySender->paste(key, text);
    else
        keySender->keyInput(key, std::move(text), termView->keyIsAutoRepeat(), termView->keyModifiers());
}

// The actions have no status tips, and the empty one Qt sends on hovering a
// menu entry would wipe the only line that names the open port.
bool TarnTerm::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent *>(event)->tip().isEmpty())
        return true;
    return QMainWindow::event(event);
}

void TarnTerm::closeEvent(QCloseEvent *event)
{
    qCDebug(windowLog) << "closeEvent";
    watch->disconnectDevice();
    showStatus(tr("store current settings..."));
    storeSettings();
    if (functionDlg && functionDlg->isVisible())
        functionDlg->close();
    event->accept();
}

bool TarnTerm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Shortcut
        && static_cast<QShortcutEvent *>(event)->key() == ui->actionHexa_Mode->shortcut()) {
        ui->actionHexa_Mode->trigger();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TarnTerm::readComm()
{
    receiveFeed->readFrom(currentPort());
}

void TarnTerm::clearScreen()
{
    receiveFeed->clear();
    connectionPresenter->showWaitingIfDisconnected();
}

void TarnTerm::about()
{
    const QString text = tr("<p>%1</p><p>Made for the Tarnwick family of USB devices.</p>")
                             .arg(versionString.toHtmlEscaped());
    QMessageBox::about(this, QStringLiteral("About "), text);
}

void TarnTerm::saveCapture()
{
    captureSaver->save();
}
