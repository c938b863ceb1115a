#include "ptyrelay.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

bool PtyPeer::start(const QString &program, const QStringList &arguments, const QString &folder, Output output)
{
    if (!m_line.isValid())
        return false;
    m_process.setWorkingDirectory(folder);
    m_process.setStandardInputFile(m_line.slavePath());
    if (output == Output::Line)
        m_process.setStandardOutputFile(m_line.slavePath());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, arguments);
    return m_process.waitForStarted();
}

bool PtyPeer::waitForExit(int ms)
{
    QEventLoop loop;
    QObject::connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (m_process.state() != QProcess::NotRunning)
        loop.exec();
    return m_process.state() == QProcess::NotRunning;
}

PtyRelay::PtyRelay(int master, PtyPeer &peer, QObject *parent)
    : QObject(parent)
    , m_master(master)
    , m_masterReadable(new QSocketNotifier(master, QSocketNotifier::Read, this))
    , m_toPeer {peer.masterFd(), new QSocketNotifier(peer.masterFd(), QSocketNotifier::Write, this), {}}
    , m_toMaster {master, new QSocketNotifier(master, QSocketNotifier::Write, this), {}}
{
    connect(m_masterReadable, &QSocketNotifier::activated, this, &PtyRelay::readFromMaster);
    for (Direction *direction : {&m_toPeer, &m_toMaster}) {
        direction->writable->setEnabled(false);
        connect(direction->writable, &QSocketNotifier::activated, this, [this, direction] { flush(*direction); });
    }
    QProcess *process = &peer.process();
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        m_toMaster.pending.append(process->readAllStandardOutput());
        flush(m_toMaster);
    });
}

PtyRelay::~PtyRelay() = default;

void PtyRelay::readFromMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_masterOpen = false;
            m_masterReadable->setEnabled(false);
        }
        return;
    }
    QByteArray piece(buffer, int(n));
    if (m_spoiler)
        m_spoiler(piece, m_passed);
    m_passed += n;
    m_toPeer.pending.append(piece);
    flush(m_toPeer);
}

void PtyRelay::flush(Direction &direction)
{
    while (!direction.pending.isEmpty()) {
        const ssize_t n = ::write(direction.to, direction.pending.constData(), size_t(direction.pending.size()));
        if (n > 0) {
            direction.pending.remove(0, int(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    direction.writable->setEnabled(!direction.pending.isEmpty());
    // Hold back reading while the peer is full, as a line with flow control would.
    if (&direction == &m_toPeer)
        m_masterReadable->setEnabled(m_masterOpen && direction.pending.isEmpty());
}
