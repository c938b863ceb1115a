#include "serialport.h"

// QSerialPort finds "ttyACM0" under /dev and takes a full path as it is.
QString SerialPort::nativePath(const QString &name)
{
    return name;
}
