// The main window's send line and Device menu: the line editor under the
// console, and the modem lines of the open port with their indicators.

#include "tarnterm.h"

#include "connectionwatch.h"
#include "keysender.h"
#include "modemcontrol.h"
#include "modemindicators.h"
#include "modempresenter.h"
#include "sendlinebar.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "zividview.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QVBoxLayout>

#include <utility>

void TarnTerm::createSendLine()
{
    sendLineBar =
        new SendLineBar([this](const QByteArray &bytes) { return keySender->sendLine(bytes); }, ui->centralwidget);
    sendLineBar->hide();
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->textGroup) + 1, sendLineBar);
    connect(ui->actionSend_Line, &QAction::toggled, this, [this](bool on) {
        sendLineBar->setVisible(on);
        if (on)
            sendLineBar->lineEdit()->setFocus(Qt::OtherFocusReason);
        else
            termView->setFocus(Qt::OtherFocusReason);
    });
    connect(sendLineBar, &SendLineBar::escapePressed, this, [this] { termView->setFocus(Qt::OtherFocusReason); });
}

void TarnTerm::createModemPresenter()
{
    auto *indicators = new ModemIndicators(statusBar());
    statusBar()->addPermanentWidget(indicators);
    modemPresenter = new ModemPresenter({ui->actionDTR, ui->actionRTS, ui->actionSend_Break, ui->actionPulse_DTR,
                                         ui->actionESP32_Reset, ui->actionBootloader_Touch},
                                        indicators, connectionBar, this);
}

void TarnTerm::setModemLinesProvider(ModemLinesProvider provider)
{
    modemLinesProvider = std::move(provider);
}

// The control lives as the port's child and goes with it. The touch closes
// the port from inside the control; the watch drops it once that is over.
void TarnTerm::attachModemControl(SerialPort *port)
{
    ModemLines *lines = modemLinesProvider ? modemLinesProvider(port) : port;
    auto *control = new ModemControl(lines, port);
    connect(control, &ModemControl::touched, watch, &ConnectionWatch::releaseUntilGone, Qt::QueuedConnection);
    modemPresenter->attach(control);
}
