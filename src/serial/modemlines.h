#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// The modem inputs of a serial line, as the device drives them.
struct ModemInputs
{
    bool cts = false;
    bool dsr = false;
    bool dcd = false;
    bool ri = false;

    bool operator==(const ModemInputs &other) const
    {
        return cts == other.cts && dsr == other.dsr && dcd == other.dcd && ri == other.ri;
    }
};

Q_DECLARE_METATYPE(ModemInputs)

// The control lines of one open serial line: the outputs the terminal
// drives, the inputs it reads, and the rate change a native-USB board takes
// as the order to enter its bootloader. Each call returns false when the
// line refused it; failureReason() then says why in the system's words.
class ModemLines
{
public:
    virtual ~ModemLines() = default;

    virtual bool setDataTerminalReady(bool on) = 0;
    virtual bool setRequestToSend(bool on) = 0;
    virtual bool setBreakEnabled(bool on) = 0;
    // The outputs as last set (or as read at open).
    virtual bool isDataTerminalReady() const = 0;
    virtual bool isRequestToSend() const = 0;
    // False when this line does not report its inputs (a pseudo-terminal).
    virtual bool readInputs(ModemInputs *inputs) = 0;
    // Closes the line, opens it again at this rate and closes it for good.
    virtual bool touchAtBaudRate(qint32 rate) = 0;

    virtual QString failureReason() const = 0;
};
