#include "serialport.h"

// Windows reaches COM10 and above only through the device namespace.
QString SerialPort::nativePath(const QString &name)
{
    return toDevicePath(name);
}
