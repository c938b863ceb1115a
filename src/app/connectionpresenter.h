#pragma once

#include <QObject>
#include <QString>

class ConnectionBar;
class ConnectionWatch;
class HexView;
class KeySender;
class ReceiveFeed;
class WaitingPanel;
class ZIvidView;

// The window's side of the connection watch: the watch finds and opens the
// port; this shows the connection in the views, the waiting panel and the
// connection bar, and ends what was sent to a device that went away.
class ConnectionPresenter : public QObject
{
    Q_OBJECT

public:
    struct Views
    {
        ZIvidView *console;
        HexView *hexView;
        WaitingPanel *waitingPanel;
        ConnectionBar *connectionBar;
    };

    ConnectionPresenter(const Views &views, ConnectionWatch *watch, KeySender *keySender, ReceiveFeed *feed,
                        QObject *parent = nullptr);

    bool isConnected() const { return m_connected; }

    void showConnected();
    void showDisconnected();
    void showOpenFailure(const QString &portName, const QString &reason);
    // Unless a device is connected: the waiting panel while both views are
    // empty, else the views with the connection bar saying what the
    // terminal waits for.
    void showWaitingIfDisconnected();

private:
    void showWaiting();

    Views m_views;
    ConnectionWatch *m_watch;
    KeySender *m_keySender;
    ReceiveFeed *m_feed;
    bool m_connected = false;
};
