#include "serialport.h"

#include <QLoggingCategory>
#include <QSerialPort>

namespace {

// Off by default, like every debug line; QT_LOGGING_RULES="tarnterm.serial.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(serialLog, "tarnterm.serial", QtInfoMsg)


const qint32 baudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                            19200, 38400, 56000, 57600, 115200, 128000, 256000};

const QSerialPort::DataBits dataBitsTable[] = {QSerialPort::Data5, QSerialPort::Data6,
                                               QSerialPort::Data7, QSerialPort::Data8};

// Not QSerialPort's enum order: odd comes before even here.
const QSerialPort::Parity parityTable[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                           QSerialPort::EvenParity, QSerialPort::MarkParity,
                                           QSerialPort::SpaceParity};

const QSerialPort::StopBits stopBitsTable[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                               QSerialPort::TwoStop};

const QSerialPort::FlowControl flowControlTable[] = {
    QSerialPort::NoFlowControl, QSerialPort::HardwareControl, QSerialPort::SoftwareControl};

// A code outside a table means the table's fallback value.
template<typename T, int N>
T lookup(const T (&table)[N], int code, T fallback)
{
    return code >= 0 && code < N ? table[code] : fallback;
}

const QString devicePrefix = QStringLiteral("\\\\.\\");

} // namespace

SerialPort::SerialPort(QObject *parent)
    : QObject(parent)
    , m_device(new QSerialPort(this))
{
    connect(m_device, &QSerialPort::readyRead, this, &SerialPort::readData);
    connect(m_device, &QSerialPort::bytesWritten, this, &SerialPort::bytesWritten);
    // A vanished device keeps failing its reads; the owner needs to hear it once.
    // Windows reports it during overlapped I/O as PermissionError as well.
    // Windows modem calls can fail with PermissionError too: an error raised
    // inside one is that call's failure, not a hang-up.
    connect(m_device, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (m_inModemCall) {
            if (error != QSerialPort::NoError && m_modemFailure.isEmpty())
                m_modemFailure = m_device->errorString();
            return;
        }
        const bool lost = error == QSerialPort::ReadError || error == QSerialPort::ResourceError
            || error == QSerialPort::PermissionError;
        if (lost && m_device->isOpen() && !m_lostReported) {
            m_lostReported = true;
            emit deviceLost();
        }
    });
}

SerialPort::~SerialPort()
{
    m_open = false;
    m_device->close();
}

void SerialPort::setBaudRateCode(int code)
{
    if (code != m_baudRateCode)
        m_baudRateCode = code;
}

// One and a half stop bits exist only with 5 data bits, two stop bits never with 5.
void SerialPort::setDataBitsCode(int code)
{
    if (code == m_dataBitsCode)
        return;
    if ((m_stopBitsCode == 2 && code == 0) || (m_stopBitsCode == 1 && code != 0))
        return;
    m_dataBitsCode = code;
}

void SerialPort::setParityCode(int code)
{
    if (code != m_parityCode)
        m_parityCode = code;
}

void SerialPort::setStopBitsCode(int code)
{
    if (code == m_stopBitsCode)
        return;
    if ((m_dataBitsCode == 0 && code == 2) || (code == 1 && m_dataBitsCode != 0))
        return;
    m_stopBitsCode = code;
}

void SerialPort::setFlowControlCode(int code)
{
    if (code != m_flowControlCode)
        m_flowControlCode = code;
}

qint32 SerialPort::getBaudRate(int code)
{
    const qint32 rate = lookup(baudRates, code, 0);
    qCDebug(serialLog) << "SerialPort::getBaudRate : " << rate;
    return rate;
}

QString SerialPort::toDevicePath(const QString &name)
{
    if (name.contains(devicePrefix))
        return name;
    return devicePrefix + name;
}

bool SerialPort::openPort(const QString &name)
{
    if (m_open) {
        m_open = false;
        m_device->close();
    }

    m_device->setBaudRate(getBaudRate(m_baudRateCode), QSerialPort::AllDirections);
    m_device->setDataBits(lookup(dataBitsTable, m_dataBitsCode, QSerialPort::Data8));
    m_device->setParity(lookup(parityTable, m_parityCode, QSerialPort::NoParity));
    m_device->setStopBits(lookup(stopBitsTable, m_stopBitsCode, QSerialPort::OneStop));
    m_device->setFlowControl(lookup(flowControlTable, m_flowControlCode, QSerialPort::NoFlowControl));

    const QString path = nativePath(name);
    qCDebug(serialLog) << "MainController serial port:[" << name << "] opening...";
    m_device->setPortName(path);

    m_open = m_device->open(QIODevice::ReadWrite);
    m_openFailure = m_open ? QString() : openFailureText(m_device->error(), m_device->errorString());
    if (m_open) {
        m_portName = name;
        m_lostReported = false;
        // Silent when the line refuses: a pseudo-terminal has no DTR.
        modemCall([this] { return m_device->setDataTerminalReady(true); });
        readOutputsAtOpen();
    }
    return m_open;
}

void SerialPort::closePort()
{
    m_open = false;
    m_device->close();
}

QString SerialPort::portName() const
{
    return m_portName;
}

bool SerialPort::isOpen() const
{
    return m_device->isOpen();
}

QString SerialPort::errorString() const
{
    if (!m_openFailure.isEmpty())
        return m_openFailure;
    return m_device->errorString();
}

bool SerialPort::writeBytes(const QByteArray &bytes)
{
    if (!m_device->isOpen())
        return false;
    // What the line does not take at once is queued, and the port hands its
    // buffer to the line as the line takes it. No flush() here: on a full
    // line that write meets EAGAIN, which the port reports as
    // ResourceError, the same as a hang-up.
    const qint64 taken = m_device->bytesToWrite() == 0 ? writeAtOnce(bytes.constData(), bytes.size()) : 0;
    if (taken > 0 && taken == bytes.size())
        return true;
    if (m_device->write(bytes.constData() + taken, bytes.size() - taken) > 0 || taken > 0)
        return true;
    qCDebug(serialLog) << "SerialPort write error.[" << m_portName << "]";
    return false;
}

qint64 SerialPort::bytesToWrite() const
{
    return m_device->bytesToWrite();
}

void SerialPort::readData()
{
    // The window keeps a flood's batches for a while before the console
    // takes them, so each holds no more memory than its bytes: readAll()
    // reserves 16 KiB and more per batch, and read() may hand over the
    // port's own 32 KiB buffer for a few bytes.
    QByteArray bytes = m_device->read(m_device->bytesAvailable());
    bytes.squeeze();
    receivedBytes.append(bytes);
    emit readComm();
}

bool SerialPort::modemCall(const std::function<bool()> &call)
{
    m_modemFailure.clear();
    if (!m_device->isOpen()) {
        m_modemFailure = tr("the port is not open");
        return false;
    }
    m_inModemCall = true;
    const bool ok = call() && m_modemFailure.isEmpty();
    m_inModemCall = false;
    if (!ok) {
        if (m_modemFailure.isEmpty())
            m_modemFailure = m_device->errorString();
        m_device->clearError();
    }
    return ok;
}

// The outputs as the line has them after the open; a line that does not
// report them has DTR as just asked and RTS taken as low.
void SerialPort::readOutputsAtOpen()
{
    QSerialPort::PinoutSignals pins;
    if (modemCall([this, &pins] {
            pins = m_device->pinoutSignals();
            return true;
        })) {
        m_dataTerminalReady = pins.testFlag(QSerialPort::DataTerminalReadySignal);
        m_requestToSend = pins.testFlag(QSerialPort::RequestToSendSignal);
    } else {
        m_dataTerminalReady = true;
        m_requestToSend = false;
    }
    m_modemFailure.clear();
}

bool SerialPort::setDataTerminalReady(bool on)
{
    const bool ok = modemCall([this, on] { return m_device->setDataTerminalReady(on); });
    if (ok)
        m_dataTerminalReady = on;
    return ok;
}

bool SerialPort::setRequestToSend(bool on)
{
    const bool ok = modemCall([this, on] { return m_device->setRequestToSend(on); });
    if (ok)
        m_requestToSend = on;
    return ok;
}

bool SerialPort::setBreakEnabled(bool on)
{
    return modemCall([this, on] { return m_device->setBreakEnabled(on); });
}

bool SerialPort::readInputs(ModemInputs *inputs)
{
    QSerialPort::PinoutSignals pins;
    const bool ok = modemCall([this, &pins] {
        pins = m_device->pinoutSignals();
        return true;
    });
    if (ok) {
        inputs->cts = pins.testFlag(QSerialPort::ClearToSendSignal);
        inputs->dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
        inputs->dcd = pins.testFlag(QSerialPort::DataCarrierDetectSignal);
        inputs->ri = pins.testFlag(QSerialPort::RingIndicatorSignal);
    }
    return ok;
}

// The board sees the line opened at the new rate and then dropped: that is
// its order to reboot into the bootloader. The port stays closed.
bool SerialPort::touchAtBaudRate(qint32 rate)
{
    m_modemFailure.clear();
    m_open = false;
    m_device->close();
    m_device->setBaudRate(rate, QSerialPort::AllDirections);
    const bool opened = m_device->open(QIODevice::ReadWrite);
    if (!opened)
        m_modemFailure = m_device->errorString();
    m_device->close();
    return opened;
}
