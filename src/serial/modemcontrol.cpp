#include "modemcontrol.h"

#include <utility>

ModemControl::ModemControl(ModemLines *lines, QObject *parent)
    : QObject(parent)
    , m_lines(lines)
{
    qRegisterMetaType<ModemInputs>();
    // A reset pulse shorter than asked may not reset the board.
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &ModemControl::runNextStep);
    connect(&m_pollTimer, &QTimer::timeout, this, &ModemControl::pollInputs);
    m_pollTimer.start(pollMs);
}

void ModemControl::setDataTerminalReady(bool on)
{
    run({{0, [this, on] { return m_lines->setDataTerminalReady(on); }}});
}

void ModemControl::setRequestToSend(bool on)
{
    run({{0, [this, on] { return m_lines->setRequestToSend(on); }}});
}

void ModemControl::sendBreak()
{
    run({{0, [this] { return m_lines->setBreakEnabled(true); }},
         {breakMs, [this] { return m_lines->setBreakEnabled(false); }}});
}

void ModemControl::pulseDataTerminalReady()
{
    run({{0, [this] { return m_lines->setDataTerminalReady(false); }},
         {resetPulseMs, [this] { return m_lines->setDataTerminalReady(true); }}});
}

void ModemControl::resetEsp32()
{
    run({{0, [this] { return m_lines->setDataTerminalReady(false); }},
         {0, [this] { return m_lines->setRequestToSend(true); }},
         {resetPulseMs, [this] { return m_lines->setRequestToSend(false); }}});
}

void ModemControl::touchForBootloader()
{
    if (isBusy())
        return;
    m_pollTimer.stop();
    m_touching = true;
    run({{0, [this] { return m_lines->touchAtBaudRate(bootloaderBaudRate); }}});
}

// A request made while another runs is dropped: a second reset on top of a
// first would only garble both.
void ModemControl::run(std::vector<Step> steps)
{
    if (isBusy() || steps.empty())
        return;
    m_steps = std::move(steps);
    emit busyChanged(true);
    runNextStep();
}

// Steps without a delay run at once, one after another; a delay hands
// control back to the event loop until it has passed.
void ModemControl::runNextStep()
{
    while (!m_steps.empty()) {
        const Step step = m_steps.front();
        m_steps.erase(m_steps.begin());
        if (!step.call()) {
            finish(false);
            return;
        }
        emit outputsChanged();
        if (!m_steps.empty() && m_steps.front().delayMs > 0) {
            m_stepTimer.start(m_steps.front().delayMs);
            m_steps.front().delayMs = 0;
            return;
        }
    }
    finish(true);
}

// The touch leaves the port closed whether or not the reopen worked.
void ModemControl::finish(bool ok)
{
    m_steps.clear();
    m_stepTimer.stop();
    emit busyChanged(false);
    if (!ok) {
        emit outputsChanged();
        emit failed(m_lines->failureReason());
    }
    if (std::exchange(m_touching, false))
        emit touched();
}

void ModemControl::pollInputs()
{
    ModemInputs inputs;
    const bool known = m_lines->readInputs(&inputs);
    if (m_polledOnce && known == m_inputsKnown && (!known || inputs == m_inputs))
        return;
    m_polledOnce = true;
    m_inputsKnown = known;
    m_inputs = inputs;
    emit inputsRead(known, inputs);
}
