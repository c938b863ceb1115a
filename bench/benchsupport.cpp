#include "benchsupport.h"

#include "hexview.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

// Outside any namespace, as the resource initialiser's name requires.
static void initResources()
{
    Q_INIT_RESOURCE(tarnterm);
}

namespace {

void dropDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

namespace Bench {

void init()
{
    initResources();
    qInstallMessageHandler(dropDebug);
    static QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray textOf(qint64 size)
{
    QByteArray text;
    text.reserve(int(size));
    for (qint64 line = 0; text.size() < size; ++line) {
        QByteArray row = QByteArray::number(line).rightJustified(8, '0') + ' ';
        while (row.size() < 78)
            row += char('a' + (row.size() + line) % 26);
        text += row + "\r\n";
    }
    text.truncate(int(size));
    return text;
}

ZIvidView *console(TarnTerm *window)
{
    return window->findChild<ZIvidView *>();
}

HexView *hexView(TarnTerm *window)
{
    return window->findChild<HexView *>();
}

// An event loop that sleeps while nothing happens, as the application's own
// does; processEvents() with a time limit would poll without sleeping and
// charge the spin to the terminal.
void runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    if (!done())
        loop.exec();
}

Session::Session(bool hexMode)
{
    source.add(&device);
    window = std::make_unique<TarnTerm>();
    window->setDeviceSource(&source);
    window->findChild<QAction *>(QStringLiteral("actionHexa_Mode"))->setChecked(hexMode);
    window->show();
    QMetaObject::invokeMethod(window.get(), "checkConnection");
    port = window->currentPort();
    if (!port)
        qFatal("the simulated device did not connect");
}

Session::~Session() = default;

qint64 Session::shown() const
{
    return hexView(window.get())->size();
}

DeviceThread::DeviceThread(SimulatedDevice &device)
    : m_device(device)
    , m_thread(new QThread)
{
    device.moveToThread(m_thread);
    m_thread->start();
}

DeviceThread::~DeviceThread()
{
    QThread *home = QThread::currentThread();
    QMetaObject::invokeMethod(&m_device, [this, home] { m_device.moveToThread(home); },
                              Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

void DeviceThread::post(std::function<void()> f)
{
    QMetaObject::invokeMethod(&m_device, std::move(f), Qt::QueuedConnection);
}

PacedSender::PacedSender(Session &session, const QByteArray &stream, qint64 bytesPerSecond, int seconds)
    : m_session(session)
    , m_deviceThread(session.device)
    , m_timer(new QTimer)
{
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(1);
    m_timer->moveToThread(m_deviceThread.thread());
    auto wall = std::make_shared<QElapsedTimer>();
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this, wall, stream, bytesPerSecond, seconds] {
        const qint64 due = std::min(wall->elapsed(), qint64(seconds) * 1000) * bytesPerSecond / 1000;
        qint64 sent = m_sent.loadRelaxed();
        while (sent + 64 <= due) {
            m_session.device.send(stream.mid(int(sent % stream.size()), 64));
            sent += 64;
        }
        m_sent.storeRelaxed(sent);
    });
    m_deviceThread.post([this, wall] {
        wall->start();
        m_timer->start();
    });
}

PacedSender::~PacedSender()
{
    QThread *home = QThread::currentThread();
    QMetaObject::invokeMethod(m_timer, [this, home] {
        m_timer->stop();
        m_timer->moveToThread(home);
    }, Qt::BlockingQueuedConnection);
    delete m_timer;
}

qint64 PacedSender::sent() const
{
    return m_sent.loadRelaxed();
}

Responsiveness::Responsiveness()
{
    clock.start();
    QObject::connect(&timer, &QTimer::timeout, [this] { worst = std::max(worst, clock.restart()); });
    timer.start(10);
}

} // namespace Bench
