#include "serialport.h"
#include <QSerialPort>
SerialPort::SerialPort(QObject *parent) : QObject(parent), m_device(new QSerialPort(this)) {}
SerialPort::~SerialPort() {}
void SerialPort::setBaudRateCode(int) {}
void SerialPort::setDataBitsCode(int) {}
void SerialPort::setParityCode(int) {}
void SerialPort::setStopBitsCode(int) {}
void SerialPort::setFlowControlCode(int) {}
qint32 SerialPort::getBaudRate(int) { return 0; }
QString SerialPort::toDevicePath(const QString &n) { return n; }
bool SerialPort::openPort(const QString &) { return false; }
void SerialPort::closePort() {}
QString SerialPort::portName() const { return m_portName; }
bool SerialPort::isOpen() const { return false; }
QString SerialPort::errorString() const { return {}; }
bool SerialPort::writeBytes(const QByteArray &) { return false; }
void SerialPort::readData() {}
