// The connection watch of the main window: once a second it looks for a
// known device and opens or drops its port.

#include "tarnterm.h"

#include "devicesource.h"
#include "discovery.h"
#include "hexview.h"
#include "serialport.h"
#include "ui_zivid.h"
#include "zividview.h"

#include <QDebug>
#include <QGroupBox>

void TarnTerm::checkConnection()
{
    const QStringList ports = deviceSource ? Discovery::findDevicePorts(*deviceSource) : QStringList();
    devicePresent = !ports.isEmpty();

    if (serialPort) {
        if (ports.contains(serialPort->portName()))
            return;
        devicePresent = false;
    }

    if (devicePresent != wasPresent && devicePresent) {
        if (connectDevice(ports)) {
            showStatus(QStringLiteral("the Tarnwick Device was found. [") + serialPort->portName()
                       + QStringLiteral("]"));
            qDebug() << "the Tarnwick Device was found. [" << serialPort->portName() << "]";
        } else {
            devicePresent = false;
            wasPresent = true;
            qDebug() << "exit";
        }
    }
    if (devicePresent != wasPresent && !devicePresent) {
        showStatus(tr("the Tarnwick Device was not found."));
        qDebug() << "the Tarnwick Device was not found.";
        disconnectDevice();
    }
    wasPresent = devicePresent;
}

bool TarnTerm::connectDevice(const QStringList &ports)
{
    const QString name = ports.first();
    qDebug() << "p : " << name;

    serialPort = new SerialPort;
    serialPort->setBaudRateCode(12);
    serialPort->setFlowControlCode(0);
    serialPort->setParityCode(0);
    serialPort->setDataBitsCode(3);
    serialPort->setStopBitsCode(0);
    connect(serialPort, &SerialPort::readComm, this, &TarnTerm::readComm);
    connect(serialPort, &SerialPort::deviceLost, this, &TarnTerm::dropLostDevice);

    if (!serialPort->openPort(name)) {
        qDebug() << "open failed:" << serialPort->errorString();
        serialPort->closePort();
        delete serialPort;
        serialPort = nullptr;
        return false;
    }

    termView->setEnabled(true);
    hexEdit->setEnabled(true);
    termView->setFocus(Qt::OtherFocusReason);
    unshownBatches.clear();
    termView->clear();
    hexEdit->setData(QByteArray());
    termView->show();
    ui->hexaGroup->setVisible(hexamode);
    hexEdit->show();
    return true;
}

void TarnTerm::disconnectDevice()
{
    if (serialPort) {
        serialPort->closePort();
        delete serialPort;
        serialPort = nullptr;
    }
    unshownBatches.clear();
    termView->clear();
    hexEdit->setData(QByteArray());
    termView->setDisabled(true);
    hexEdit->setDisabled(true);
    termView->hide();
    hexEdit->hide();
}

// The open port hung up (unplugged). Left open, it would report errors at full
// speed, and a device back under the same name would never be reopened. The
// signal comes from inside the port object, so it is deleted later, not here.
void TarnTerm::dropLostDevice()
{
    SerialPort *lost = serialPort;
    if (!lost || sender() != lost)
        return;
    serialPort = nullptr;
    lost->disconnect(this);
    lost->closePort();
    lost->deleteLater();

    showStatus(tr("the Tarnwick Device was not found."));
    qDebug() << "the Tarnwick Device was not found.";
    disconnectDevice();
    devicePresent = false;
    wasPresent = false;
}
