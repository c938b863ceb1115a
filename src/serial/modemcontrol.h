#pragma once

#include "modemlines.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

// What the user asks of the modem lines of the open port: DTR and RTS, a
// break, and the named reset sequences, timed by the event loop so the
// window never waits. Also reads the inputs for the status bar while the
// port is open. One per open port; the lines are not owned.
class ModemControl : public QObject
{
    Q_OBJECT

public:
    static constexpr int breakMs = 250;
    static constexpr int resetPulseMs = 100;
    static constexpr qint32 bootloaderBaudRate = 1200;
    // At most four reads a second.
    static constexpr int pollMs = 250;

    explicit ModemControl(ModemLines *lines, QObject *parent = nullptr);

    bool dataTerminalReady() const { return m_lines->isDataTerminalReady(); }
    bool requestToSend() const { return m_lines->isRequestToSend(); }
    // A break or a reset sequence is under way; other requests wait for it
    // to end and are ignored meanwhile.
    bool isBusy() const { return !m_steps.empty(); }

    void setDataTerminalReady(bool on);
    void setRequestToSend(bool on);
    void sendBreak();
    // DTR low for 100 ms, then high again: how Arduino-style boards reset.
    void pulseDataTerminalReady();
    // RTS asserted with DTR released for 100 ms, then RTS released: the
    // sequence the ESP32's auto-reset circuit turns into a reset.
    void resetEsp32();
    // Reopens the line at 1200 bit/s and closes it: native-USB boards then
    // leave for their bootloader. The port stays closed.
    void touchForBootloader();

    // Reads the inputs now; the timer does it every pollMs.
    void pollInputs();

signals:
    // DTR or RTS may have changed.
    void outputsChanged();
    void busyChanged(bool busy);
    // What the line reports; known is false when it reports nothing.
    void inputsRead(bool known, const ModemInputs &inputs);
    // A call the user asked for was refused; once per request.
    void failed(const QString &reason);
    // The bootloader touch closed the port.
    void touched();

private:
    struct Step
    {
        int delayMs;
        std::function<bool()> call;
    };

    void run(std::vector<Step> steps);
    void runNextStep();
    void finish(bool ok);

    ModemLines *m_lines;
    std::vector<Step> m_steps;
    QTimer m_stepTimer;
    QTimer m_pollTimer;
    bool m_inputsKnown = true;
    ModemInputs m_inputs;
    bool m_polledOnce = false;
    bool m_touching = false;
};
