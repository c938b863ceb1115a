#include "tarnterm.h"

#include "connectionbar.h"
#include "connectionwatch.h"
#include "dialogappearancepicker.h"
#include "findbar.h"
#include "functiondlg.h"
#include "hexview.h"
#include "keydispatch.h"
#include "largeselectionsaver.h"
#include "namedportsource.h"
#include "pacedsender.h"
#include "receivelog.h"
#include "saveaside.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDebug>
#include <QFileDialog>
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

// Off by default: it writes every byte the device sends, and a terminal
// started from the desktop would fill the journal with them. Switched on with
// QT_LOGGING_RULES="tarnterm.receive.debug=true".
Q_LOGGING_CATEGORY(receiveCategory, "tarnterm.receive", QtInfoMsg)

// The longest the console lags behind while bytes keep arriving.
constexpr int showInterval = 40;

void showCaptureError(QWidget *parent, const QString &title, const QString &text, const QString &fileName,
                      const QString &reason)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setInformativeText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + reason);
    box.exec();
}

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

    connect(ui->actionAbout_This_Program, &QAction::triggered, this, &TarnTerm::about);
    connect(ui->action_Toolbar, &QAction::toggled, ui->toolBar, &QToolBar::setHidden);
    // The window's context menu hides and shows the bar through the bar's
    // own toggle action; "Toolbar Hide" follows. isHidden() asks for the bar
    // alone, so hiding or minimising the whole window leaves the entry be.
    connect(ui->toolBar, &QToolBar::visibilityChanged, this,
            [this] { ui->action_Toolbar->setChecked(ui->toolBar->isHidden()); });
    connect(ui->actionHexa_Mode, &QAction::toggled, this, &TarnTerm::setHexamode);
    connect(ui->actionEnter_with_Return, &QAction::toggled, this, &TarnTerm::setEnterWithCR);
    ui->actionEnter_with_Return->setChecked(enterWithCR);

    termView = new ZIvidView(this);
    termView->setDisabled(true);
    termView->setAppearancePicker(std::make_shared<DialogAppearancePicker>());
    termView->setLargeSelectionSaver(LargeSelectionSaver(termView));
    connect(termView, &ZIvidView::keyInput, this, &TarnTerm::keyInput);
    connect(ui->actionHold_Output, &QAction::toggled, termView, &ZIvidView::setHoldOutput);
    connect(ui->actionTerminal_Keys, &QAction::toggled, this, &TarnTerm::setTerminalKeys);
    auto *textLayout = new QHBoxLayout(ui->textGroup);
    textLayout->addWidget(termView);
    // Takes the console's place while no device is connected and there is
    // nothing to read; see showWaiting().
    waitingPanel = new WaitingPanel(ui->textGroup);
    textLayout->addWidget(waitingPanel);
    connectionBar = new ConnectionBar(ui->centralwidget);
    ui->verticalLayout->insertWidget(0, connectionBar);
    findBar = new FindBar(termView, ui->centralwidget);
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->textGroup) + 1, findBar);
    connect(ui->actionFind, &QAction::triggered, findBar, &FindBar::open);
    receiveLog = new ReceiveLog(this);
    watchReceiveLog();

    hexEdit = new HexView(nullptr);
    hexEdit->setDisabled(true);
    hexEdit->setReadOnly(true);
    auto *hexLayout = new QVBoxLayout(ui->hexaGroup);
    hexLayout->addWidget(hexEdit);

    connect(ui->actionFunction_Settings, &QAction::triggered, this, &TarnTerm::functionSetting);
    connect(ui->action_Font, &QAction::triggered, termView, &ZIvidView::changeFont);
    connect(ui->action_FontColor, &QAction::triggered, termView, &ZIvidView::changeFontColor);
    connect(ui->actionBackground_color, &QAction::triggered, termView, &ZIvidView::changeBackColor);
    connect(ui->actionDevice_Colours, &QAction::toggled, termView, &ZIvidView::setDeviceColours);
    connect(ui->actionCa_pture, &QAction::triggered, this, &TarnTerm::saveCapture);
    connect(ui->action_Clear_Screen, &QAction::triggered, this, &TarnTerm::clearScreen);
    connect(ui->actionE_xit, &QAction::triggered, this, &TarnTerm::close);
    connectTimestamps();
    // Alt+H is both the Help menu's mnemonic and Hexa View's shortcut. Qt
    // then calls the key ambiguous and hands it to either in turn, so the
    // action would never fire; it goes to Hexa View whoever gets it.
    ui->menubar->installEventFilter(this);
    ui->actionHexa_Mode->installEventFilter(this);

    showTimer = new QTimer(this);
    showTimer->setSingleShot(true);
    showTimer->setInterval(showInterval);
    connect(showTimer, &QTimer::timeout, this, [this] {
        if (unshownBatches.isEmpty())
            return;
        showReceived();
        showTimer->start();
    });

    setWindowTitle(versionString);
    loadSettings();

    watch = new ConnectionWatch(this);
    connect(watch, &ConnectionWatch::connected, this, &TarnTerm::showConnected);
    connect(watch, &ConnectionWatch::disconnected, this, &TarnTerm::showDisconnected);
    connect(watch, &ConnectionWatch::statusMessage, this, &TarnTerm::showStatus);
    connect(watch, &ConnectionWatch::openFailed, this, &TarnTerm::showOpenFailure);
    pacedSender = new PacedSender([this](const QByteArray &bytes) { return writeToPort(bytes); },
                                  [this] { return delay; }, this);
    connect(pacedSender, &PacedSender::writeFailed, this,
            [this] { showStatus(tr("Can't write through the serial port.")); });
    disconnectDevice();

    checkTimer = new QTimer(this);
    connect(checkTimer, &QTimer::timeout, this, &TarnTerm::checkConnection);
    checkTimer->start(1000);
}

TarnTerm::~TarnTerm()
{
    qDebug() << "~TarnTerm";
    delete ui;
}

SerialPort *TarnTerm::currentPort() const
{
    return watch->port();
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

// A log that stops is said in the bar, where the watch's status messages
// cannot overwrite it, until the user closes it.
void TarnTerm::watchReceiveLog()
{
    connect(receiveLog, &ReceiveLog::failed, this, [this](const QString &fileName, const QString &reason) {
        connectionBar->addNotice(tr("Can't write the log file %1 (%2); logging stopped.")
                                     .arg(QDir::toNativeSeparators(fileName), reason));
    });
}

void TarnTerm::setCaptureFileNameProvider(std::function<QString()> provider)
{
    captureFileNameProvider = std::move(provider);
}

void TarnTerm::setArrivalClock(std::function<qint64()> clock)
{
    arrivalClock = std::move(clock);
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
    enterWithCR = on;
}

void TarnTerm::setTerminalKeys(bool on)
{
    terminalKeys = on;
    termView->setTerminalShortcuts(on);
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
    qDebug() << "closeEvent";
    disconnectDevice();
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

// The hex view takes every batch at once. A device sends up to 16,000 small
// batches a second, and a repaint per batch would cost far more than the
// batch, so while bytes keep coming the console takes the batches held since
// the last time at most once per showInterval; the first batch after a
// pause is shown at once.
void TarnTerm::readComm()
{
    // Before anything else, so that lines show when they came, not when
    // the console got round to them.
    unshownArrivals.append(arrivalClock ? arrivalClock() : QDateTime::currentMSecsSinceEpoch());
    SerialPort *serialPort = currentPort();
    QByteArray batch;
    if (serialPort)
        batch.swap(serialPort->receivedBytes);
    qCDebug(receiveCategory) << "TarnTerm::readComm() : " << batch;
    receiveLog->append(batch);
    hexEdit->appendData(batch);
    unshownBatches.append(batch);
    if (!showTimer->isActive()) {
        showReceived();
        showTimer->start();
    }
}

void TarnTerm::showReceived()
{
    termView->displayBatches(std::exchange(unshownBatches, {}), std::exchange(unshownArrivals, {}));
    hexEdit->scrollToEnd();
}

void TarnTerm::clearScreen()
{
    unshownBatches.clear();
    unshownArrivals.clear();
    termView->clear();
    hexEdit->setData(QByteArray());
    if (!connected)
        showWaiting();
}

void TarnTerm::about()
{
    const QString text = tr("<p>%1</p><p>Made for the Tarnwick family of USB devices.</p>")
                             .arg(versionString.toHtmlEscaped());
    QMessageBox::about(this, QStringLiteral("About "), text);
}

QString TarnTerm::askCaptureFileName()
{
    if (captureFileNameProvider)
        return captureFileNameProvider();
    return QFileDialog::getSaveFileName(this, tr("Save Capture File"), QString(),
                                        tr("html Files (*.html);;log Files (*.log)"));
}

void TarnTerm::saveCapture()
{
    const QString fileName = askCaptureFileName();
    if (fileName.isEmpty())
        return;
    if (!unshownBatches.isEmpty())
        showReceived();

    const bool html = fileName.contains(QLatin1String(".html"));
    const SaveAsideResult result = saveAside(fileName, [this, html](QIODevice *file) {
        return html ? termView->writeHtml(file) : termView->writePlainText(file);
    });
    if (!result.saved)
        showCaptureError(window(), tr("save capture file Error!"),
                         result.opened ? tr("Can't Write File") : tr("Can't Open File"), fileName,
                         result.errorString);
}
