#include "serialport.h"

#include <QSerialPort>

// QSerialPort finds "ttyACM0" under /dev and takes a full path as it is.
QString SerialPort::nativePath(const QString &name)
{
    return name;
}

// The serial-port module takes a lock file and an exclusive open: a port in
// use by another program fails with "Permission error while locking the
// device" or with EBUSY, neither of which is about permissions.
QString SerialPort::openFailureText(int error, const QString &systemText)
{
    const bool held = systemText.contains(QLatin1String("locking the device"), Qt::CaseInsensitive)
        || systemText.contains(QLatin1String("busy"), Qt::CaseInsensitive);
    if (error == QSerialPort::PermissionError && held)
        return tr("another program is using the port (%1)").arg(systemText);
    return systemText;
}
