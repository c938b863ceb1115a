#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class ConnectionBar;
class ModemControl;
class ModemIndicators;
class QAction;

// The Device menu and the status bar's indicators over the open port's
// modem control: the DTR and RTS items show the lines' state, the other
// items start a break or a reset, and a refused request is said once in the
// connection bar with the system's reason.
class ModemPresenter : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction *dataTerminalReady;
        QAction *requestToSend;
        QAction *sendBreak;
        QAction *pulseDataTerminalReady;
        QAction *resetEsp32;
        QAction *bootloaderTouch;
    };

    ModemPresenter(const Actions &actions, ModemIndicators *indicators, ConnectionBar *bar, QObject *parent = nullptr);

    // The control of a port just opened; null when none is open.
    void attach(ModemControl *control);

private:
    // Remembers which request a failure will be about; false while no port
    // is open to take it.
    bool request(QAction *action);
    void showOutputs();
    void setEnabled(bool on);

    Actions m_actions;
    ModemIndicators *m_indicators;
    ConnectionBar *m_bar;
    QPointer<ModemControl> m_control;
    QString m_request;
};
