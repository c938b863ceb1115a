#include "connectionpresenter.h"

#include "connectionbar.h"
#include "connectionwatch.h"
#include "hexview.h"
#include "keysender.h"
#include "receivefeed.h"
#include "waitingpanel.h"
#include "zividview.h"

#include <QTime>

#include <utility>

ConnectionPresenter::ConnectionPresenter(const Views &views, ConnectionWatch *watch, KeySender *keySender,
                                         ReceiveFeed *feed, QObject *parent)
    : QObject(parent)
    , m_views(views)
    , m_watch(watch)
    , m_keySender(keySender)
    , m_feed(feed)
{
}

// The console and the hex view keep what they show across a disconnect and
// a reconnect: what a device printed before it went away (a crash report)
// stays on screen and can be captured. Only Clear Screen empties them.
void ConnectionPresenter::showConnected()
{
    m_connected = true;
    m_views.console->setEnabled(true);
    m_views.hexView->setEnabled(true);
    m_views.waitingPanel->setLastError(QString());
    m_views.waitingPanel->hide();
    m_views.connectionBar->setWaitingText(QString());
    m_views.console->show();
    m_views.console->setFocus(Qt::OtherFocusReason);
    m_views.hexView->show();
}

// Both views stay readable, scrollable and selectable: the device's last
// words are what the user most wants to see. Keys have nowhere to go.
void ConnectionPresenter::showDisconnected()
{
    const bool wasConnected = std::exchange(m_connected, false);
    // A paced send belongs to the device it was asked for; the next one to
    // appear may be another.
    const qint64 unsent = m_keySender->cancel();
    if (unsent == 1)
        m_views.connectionBar->addNotice(tr("1 byte of a send was not sent: the device went away."));
    else if (unsent > 1)
        m_views.connectionBar->addNotice(tr("%1 bytes of a send were not sent: the device went away.").arg(unsent));
    m_feed->showHeld();
    if (wasConnected && !m_views.console->isEmpty())
        m_views.console->markDisconnected(QTime::currentTime());
    showWaiting();
}

void ConnectionPresenter::showWaiting()
{
    const bool nothingToRead = m_views.console->isEmpty() && m_views.hexView->size() == 0;
    m_views.console->setEnabled(!nothingToRead);
    m_views.hexView->setEnabled(!nothingToRead);
    m_views.console->setVisible(!nothingToRead);
    m_views.hexView->setVisible(!nothingToRead);
    m_views.waitingPanel->setVisible(nothingToRead);
    m_views.connectionBar->setWaitingText(nothingToRead ? QString() : m_views.waitingPanel->summary());
}

void ConnectionPresenter::showWaitingIfDisconnected()
{
    if (!m_connected)
        showWaiting();
}

void ConnectionPresenter::showOpenFailure(const QString &portName, const QString &reason)
{
    m_views.waitingPanel->setLastError(reason, m_watch->isKnownDevicePort(portName));
    showWaitingIfDisconnected();
}
