#include "serialport.h"

#include <QSerialPort>

#include <cerrno>
#include <unistd.h>

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

// The port's descriptor is non-blocking: a full line takes fewer bytes or
// none, and the rest goes through the port's own queue.
qint64 SerialPort::writeAtOnce(const char *data, qint64 size)
{
    const int fd = int(m_device->handle());
    if (fd < 0)
        return 0;
    ssize_t written;
    do {
        written = ::write(fd, data, size_t(size));
    } while (written < 0 && errno == EINTR);
    return written > 0 ? written : 0;
}
