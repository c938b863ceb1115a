// The window's side of the connection watch: the watch finds and opens the
// port; the window shows the connection and takes the port's data.

#include "tarnterm.h"

#include "connectionwatch.h"
#include "hexview.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QGroupBox>

void TarnTerm::checkConnection()
{
    watch->checkConnection();
}

// The console and the hex view keep what they show across a disconnect and
// a reconnect: what a device printed before it went away (a crash report)
// stays on screen and can be captured. Only Clear Screen empties them.
void TarnTerm::showConnected(SerialPort *port)
{
    connect(port, &SerialPort::readComm, this, &TarnTerm::readComm);
    termView->setEnabled(true);
    hexEdit->setEnabled(true);
    waitingPanel->setLastError(QString());
    waitingPanel->hide();
    termView->show();
    termView->setFocus(Qt::OtherFocusReason);
    ui->hexaGroup->setVisible(hexamode);
    hexEdit->show();
}

void TarnTerm::disconnectDevice()
{
    watch->disconnectDevice();
}

void TarnTerm::showDisconnected()
{
    termView->setDisabled(true);
    hexEdit->setDisabled(true);
    termView->hide();
    hexEdit->hide();
    waitingPanel->show();
}
