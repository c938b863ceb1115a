#include "serialport.h"

#include <QSerialPort>

// Windows reaches COM10 and above only through the device namespace.
QString SerialPort::nativePath(const QString &name)
{
    return toDevicePath(name);
}

// Windows opens a COM port for one program at a time and answers any other
// with ERROR_ACCESS_DENIED, which the serial-port module reports as a
// permission error.
QString SerialPort::openFailureText(int error, const QString &systemText)
{
    if (error == QSerialPort::PermissionError)
        return tr("another program is using the port (%1)").arg(systemText);
    return systemText;
}

// The port writes overlapped from its own queue.
qint64 SerialPort::writeAtOnce(const char *, qint64)
{
    return 0;
}
