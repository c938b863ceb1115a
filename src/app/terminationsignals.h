#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the requests to end the process (SIGTERM from kill or systemctl
// stop, SIGINT from Ctrl+C, SIGHUP when the terminal or session goes) into
// endRequested() in the event loop, where the window can close in order.
// One per process. After the first request the signals act as before, so a
// second one ends a program that hangs on its way out. Windows sends a GUI
// program none of these: its logoff comes through the session manager.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void endRequested();

private:
    void takeRequest();

    QSocketNotifier *m_notifier = nullptr;
};
