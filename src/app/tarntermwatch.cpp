// The window's side of the connection watch: the watch finds and opens the
// port; the window shows the connection and takes the port's data.

#include "tarnterm.h"

#include "connectionbar.h"
#include "connectionwatch.h"
#include "hexview.h"
#include "pacedsender.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QGroupBox>
#include <QTime>

#include <utility>

void TarnTerm::checkConnection()
{
    watch->checkConnection();
}

// The console and the hex view keep what they show across a disconnect and
// a reconnect: what a device printed before it went away (a crash report)
// stays on screen and can be captured. Only Clear Screen empties them.
void TarnTerm::showConnected(SerialPort *port)
{
    connected = true;
    connect(port, &SerialPort::readComm, this, &TarnTerm::readComm);
    termView->setEnabled(true);
    hexEdit->setEnabled(true);
    waitingPanel->setLastError(QString());
    waitingPanel->hide();
    connectionBar->setWaitingText(QString());
    termView->show();
    termView->setFocus(Qt::OtherFocusReason);
    ui->hexaGroup->setVisible(hexamode);
    hexEdit->show();
}

void TarnTerm::disconnectDevice()
{
    watch->disconnectDevice();
}

// Both views stay readable, scrollable and selectable: the device's last
// words are what the user most wants to see. Keys have nowhere to go.
void TarnTerm::showDisconnected()
{
    const bool wasConnected = std::exchange(connected, false);
    // A paced send belongs to the device it was asked for; the next one to
    // appear may be another.
    const qint64 unsent = pacedSender->cancel();
    if (unsent == 1)
        connectionBar->addNotice(tr("1 byte of a send was not sent: the device went away."));
    else if (unsent > 1)
        connectionBar->addNotice(tr("%1 bytes of a send were not sent: the device went away.").arg(unsent));
    if (!unshownBatches.isEmpty())
        showReceived();
    if (wasConnected && !termView->isEmpty())
        termView->markDisconnected(QTime::currentTime());
    showWaiting();
}

void TarnTerm::showWaiting()
{
    const bool nothingToRead = termView->isEmpty() && hexEdit->size() == 0;
    termView->setEnabled(!nothingToRead);
    hexEdit->setEnabled(!nothingToRead);
    termView->setVisible(!nothingToRead);
    hexEdit->setVisible(!nothingToRead);
    waitingPanel->setVisible(nothingToRead);
    connectionBar->setWaitingText(nothingToRead ? QString() : waitingPanel->summary());
}

void TarnTerm::showOpenFailure(const QString &portName, const QString &reason)
{
    waitingPanel->setLastError(reason, watch->isKnownDevicePort(portName));
    if (!connected)
        showWaiting();
}
