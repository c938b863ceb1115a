#include "modempresenter.h"

#include "connectionbar.h"
#include "modemcontrol.h"
#include "modemindicators.h"

#include <QAction>
#include <QSignalBlocker>

#include <utility>

ModemPresenter::ModemPresenter(const Actions &actions, ModemIndicators *indicators, ConnectionBar *bar, QObject *parent)
    : QObject(parent)
    , m_actions(actions)
    , m_indicators(indicators)
    , m_bar(bar)
{
    const std::pair<QAction *, void (ModemControl::*)(bool)> switches[] = {
        {m_actions.dataTerminalReady, &ModemControl::setDataTerminalReady},
        {m_actions.requestToSend, &ModemControl::setRequestToSend},
    };
    for (const auto &[action, call] : switches) {
        connect(action, &QAction::toggled, this, [this, action = action, call = call](bool on) {
            if (request(action))
                (m_control->*call)(on);
        });
    }
    const std::pair<QAction *, void (ModemControl::*)()> commands[] = {
        {m_actions.sendBreak, &ModemControl::sendBreak},
        {m_actions.pulseDataTerminalReady, &ModemControl::pulseDataTerminalReady},
        {m_actions.resetEsp32, &ModemControl::resetEsp32},
        {m_actions.bootloaderTouch, &ModemControl::touchForBootloader},
    };
    for (const auto &[action, call] : commands) {
        connect(action, &QAction::triggered, this, [this, action = action, call = call] {
            if (request(action))
                (m_control->*call)();
        });
    }
    attach(nullptr);
}

void ModemPresenter::attach(ModemControl *control)
{
    m_control = control;
    setEnabled(control != nullptr);
    m_indicators->setVisible(control != nullptr);
    if (!control)
        return;
    connect(control, &ModemControl::outputsChanged, this, &ModemPresenter::showOutputs);
    connect(control, &ModemControl::busyChanged, this, [this](bool busy) { setEnabled(!busy); });
    connect(control, &ModemControl::inputsRead, m_indicators, &ModemIndicators::showInputs);
    connect(control, &ModemControl::failed, this,
            [this](const QString &reason) { m_bar->addNotice(tr("%1 failed: %2").arg(m_request, reason)); });
    showOutputs();
    control->pollInputs();
}

bool ModemPresenter::request(QAction *action)
{
    m_request = action->text().remove(QLatin1Char('&'));
    return m_control != nullptr;
}

void ModemPresenter::showOutputs()
{
    const bool open = m_control != nullptr;
    const QSignalBlocker dtr(m_actions.dataTerminalReady);
    const QSignalBlocker rts(m_actions.requestToSend);
    m_actions.dataTerminalReady->setChecked(open && m_control->dataTerminalReady());
    m_actions.requestToSend->setChecked(open && m_control->requestToSend());
}

void ModemPresenter::setEnabled(bool on)
{
    for (QAction *action : {m_actions.dataTerminalReady, m_actions.requestToSend, m_actions.sendBreak,
                            m_actions.pulseDataTerminalReady, m_actions.resetEsp32, m_actions.bootloaderTouch})
        action->setEnabled(on);
    if (!on && !m_control)
        showOutputs();
}
