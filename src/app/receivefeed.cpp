#include "receivefeed.h"

#include "chunkmemory.h"
#include "filesender.h"
#include "hexview.h"
#include "receivelog.h"
#include "serialport.h"
#include "zividview.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QTimer>

#include <utility>

namespace {

// Off by default: it writes every byte the device sends, and a terminal
// started from the desktop would fill the journal with them. Switched on with
// QT_LOGGING_RULES="tarnterm.receive.debug=true".
Q_LOGGING_CATEGORY(receiveCategory, "tarnterm.receive", QtInfoMsg)

// Below this, giving the heap back is not worth the walk over it.
constexpr qint64 largeHexView = qint64(8) << 20;

} // namespace

ReceiveFeed::ReceiveFeed(ZIvidView *console, HexView *hexView, QObject *parent)
    : QObject(parent)
    , m_console(console)
    , m_hexView(hexView)
    , m_showTimer(new QTimer(this))
{
    m_showTimer->setSingleShot(true);
    m_showTimer->setInterval(showInterval);
    connect(m_showTimer, &QTimer::timeout, this, [this] {
        if (m_unshownBatches.isEmpty())
            return;
        showReceived();
        m_showTimer->start();
    });
}

void ReceiveFeed::setArrivalClock(std::function<qint64()> clock)
{
    m_arrivalClock = std::move(clock);
}

void ReceiveFeed::readFrom(SerialPort *port)
{
    // Before anything else, so that lines show when they came, not when
    // the console got round to them.
    const qint64 arrival = m_arrivalClock ? m_arrivalClock() : QDateTime::currentMSecsSinceEpoch();
    QByteArray batch;
    if (port)
        batch.swap(port->receivedBytes);
    qCDebug(receiveCategory) << "TarnTerm::readComm() : " << batch;
    if (m_receiveLog)
        m_receiveLog->append(batch);
    m_hexView->appendData(batch);
    if (m_transfer && m_transfer->takesReceived()) {
        batch = m_transfer->takeReceived(batch);
        if (batch.isEmpty())
            return;
    }
    m_unshownArrivals.append(arrival);
    m_unshownBatches.append(batch);
    if (!m_showTimer->isActive()) {
        showReceived();
        m_showTimer->start();
    }
}

void ReceiveFeed::showHeld()
{
    if (!m_unshownBatches.isEmpty())
        showReceived();
}

void ReceiveFeed::clear()
{
    m_unshownBatches.clear();
    m_unshownArrivals.clear();
    m_console->clear();
    const bool large = m_hexView->size() > largeHexView;
    m_hexView->setData(QByteArray());
    // The hex view's chunks come from the heap, which keeps what is freed
    // unless asked; the console asked before they were freed.
    if (large)
        releaseFreedMemory();
}

void ReceiveFeed::showReceived()
{
    m_console->displayBatches(std::exchange(m_unshownBatches, {}), std::exchange(m_unshownArrivals, {}));
    m_hexView->scrollToEnd();
}
