#pragma once

#include "modemlines.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QSerialPort;

// The program's handle on the serial line: line settings held as small codes
// and applied when the port opens, a queue of received bytes announced by
// readComm(), and a write that reports success as a boolean. Its modem
// lines are what the user's DTR, RTS, break and reset requests drive.
class SerialPort : public QObject, public ModemLines
{
    Q_OBJECT

public:
    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

    void setBaudRateCode(int code);
    void setDataBitsCode(int code);
    void setParityCode(int code);
    void setStopBitsCode(int code);
    void setFlowControlCode(int code);

    int baudRateCode() const { return m_baudRateCode; }
    int dataBitsCode() const { return m_dataBitsCode; }
    int parityCode() const { return m_parityCode; }
    int stopBitsCode() const { return m_stopBitsCode; }
    int flowControlCode() const { return m_flowControlCode; }

    static qint32 getBaudRate(int code);
    static QString toDevicePath(const QString &name);

    bool openPort(const QString &name);
    void closePort();
    QString portName() const;
    bool isOpen() const;
    // Why the device failed last (permission denied, held by another program).
    QString errorString() const;

    bool writeBytes(const QByteArray &bytes);
    // Bytes written but still queued for the line.
    qint64 bytesToWrite() const;

    // A modem call that fails is the call's failure, reported by whoever
    // asked; it never counts as a lost device.
    bool setDataTerminalReady(bool on) override;
    bool setRequestToSend(bool on) override;
    bool setBreakEnabled(bool on) override;
    bool isDataTerminalReady() const override { return m_dataTerminalReady; }
    bool isRequestToSend() const override { return m_requestToSend; }
    bool readInputs(ModemInputs *inputs) override;
    bool touchAtBaudRate(qint32 rate) override;
    QString failureReason() const override { return m_modemFailure; }

    // Received bytes not yet taken by the consumer, oldest first.
    QByteArray receivedBytes;

signals:
    void readComm();
    // Some queued bytes went to the line.
    void bytesWritten();
    // The open device reported a read, resource or (Windows) permission error:
    // it is gone (unplugged, hung up). Emitted once; the owner should close
    // and drop this object.
    void deviceLost();

private slots:
    void readData();

private:
    // The name handed to the device: toDevicePath on Windows, the name itself elsewhere.
    static QString nativePath(const QString &name);
    // The reason for a failed open as the user should read it: a port held
    // by another program says so instead of the system's "permission" text.
    static QString openFailureText(int error, const QString &systemText);
    // Writes what the line takes at once, without waiting, when nothing is
    // queued before it: a typed key leaves in the same pass of the event
    // loop. Returns the bytes taken (0 where the system cannot do this).
    qint64 writeAtOnce(const char *data, qint64 size);
    // Runs one modem call with the port's errors taken as its failure.
    bool modemCall(const std::function<bool()> &call);
    void readOutputsAtOpen();

    QSerialPort *m_device;
    QString m_portName;
    QString m_openFailure;
    bool m_open = false;
    int m_baudRateCode = 6;
    int m_dataBitsCode = 3;
    int m_parityCode = 0;
    int m_stopBitsCode = 0;
    int m_flowControlCode = 0;
    bool m_lostReported = false;
    bool m_inModemCall = false;
    QString m_modemFailure;
    bool m_dataTerminalReady = false;
    bool m_requestToSend = false;
};
