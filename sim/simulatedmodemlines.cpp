#include "simulatedmodemlines.h"

#include "simulateddevice.h"

#include <QTimer>

SimulatedModemLines::SimulatedModemLines(SimulatedDevice *device)
    : m_device(device)
{
}

void SimulatedModemLines::plugged()
{
    m_dataTerminalReady = true;
    m_requestToSend = false;
}

bool SimulatedModemLines::setDataTerminalReady(bool on)
{
    events << QStringLiteral("DTR %1").arg(int(on));
    const bool rising = on && !m_dataTerminalReady;
    m_dataTerminalReady = on;
    if (rising)
        reset("DTR pulse");
    return true;
}

bool SimulatedModemLines::setRequestToSend(bool on)
{
    events << QStringLiteral("RTS %1").arg(int(on));
    const bool released = !on && m_requestToSend;
    m_requestToSend = on;
    if (released)
        reset("EN released (RTS)");
    return true;
}

bool SimulatedModemLines::setBreakEnabled(bool on)
{
    events << QStringLiteral("BREAK %1").arg(int(on));
    if (!on)
        m_device->send("\r\n[simulated device] break received\r\n");
    return true;
}

bool SimulatedModemLines::readInputs(ModemInputs *inputs)
{
    *inputs = ModemInputs();
    inputs->cts = inputs->dsr = m_device->isPlugged();
    return true;
}

bool SimulatedModemLines::touchAtBaudRate(qint32 rate)
{
    events << QStringLiteral("TOUCH %1").arg(rate);
    m_device->unplug();
    SimulatedDevice *device = m_device;
    QTimer::singleShot(bootloaderMs, device, [device] {
        if (device->plug())
            device->send("\r\n[simulated device] back from the bootloader\r\n");
    });
    return true;
}

void SimulatedModemLines::reset(const char *cause)
{
    m_device->send(QByteArray("\r\n[simulated device] reset by ") + cause + "\r\n");
}
