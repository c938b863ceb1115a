#pragma once

#include "modemlines.h"

#include <QStringList>

class SimulatedDevice;

// The simulated device's side of the modem lines, handed to the terminal in
// the same process since a pseudo-terminal carries no DTR, RTS or break.
// The device answers as a board would: a DTR pulse (low, then high) resets
// it as an Arduino-style board, RTS released after being asserted resets it
// as an ESP32's EN line, and the 1200 bit/s touch sends it to its
// bootloader: it leaves and comes back a moment later.
class SimulatedModemLines : public ModemLines
{
public:
    explicit SimulatedModemLines(SimulatedDevice *device);

    bool setDataTerminalReady(bool on) override;
    bool setRequestToSend(bool on) override;
    bool setBreakEnabled(bool on) override;
    bool isDataTerminalReady() const override { return m_dataTerminalReady; }
    bool isRequestToSend() const override { return m_requestToSend; }
    // CTS and DSR raised while plugged in; no carrier, no ring.
    bool readInputs(ModemInputs *inputs) override;
    bool touchAtBaudRate(qint32 rate) override;
    QString failureReason() const override { return QString(); }

    // Plugged in again: the next open raises DTR, RTS stays low.
    void plugged();

    // What the terminal did to the lines, oldest first: "DTR 0", "RTS 1",
    // "BREAK 1", "TOUCH 1200".
    QStringList events;
    // How long the device stays away after a touch.
    int bootloaderMs = 1500;

private:
    void reset(const char *cause);

    SimulatedDevice *m_device;
    bool m_dataTerminalReady = true;
    bool m_requestToSend = false;
};
