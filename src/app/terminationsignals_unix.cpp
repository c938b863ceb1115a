#include "terminationsignals.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(windowLog, "tarnterm.window", QtInfoMsg)

constexpr int endSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe the handler reports through.
int requestPipe = -1;

// A signal handler may call little more than write(): the signal's number
// goes down the pipe and the event loop does the rest.
void forwardSignal(int number)
{
    const int savedErrno = errno;
    const char byte = char(number);
    // A full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(requestPipe, &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : endSignals) {
        struct sigaction previous = {};
        // A signal ignored at start (nohup, a background job) stays ignored.
        if (::sigaction(number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(number, &action, nullptr);
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    int ends[2];
    if (::pipe(ends) != 0) {
        qCWarning(windowLog) << "no pipe for the end signals:" << strerror(errno);
        return;
    }
    for (int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    requestPipe = ends[1];
    m_notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::takeRequest);
    setHandler(forwardSignal);
    qCDebug(windowLog) << "closing the window on SIGTERM, SIGINT and SIGHUP";
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    ::close(requestPipe);
    requestPipe = -1;
    ::close(int(m_notifier->socket()));
}

void TerminationSignals::takeRequest()
{
    char numbers[16];
    const ssize_t count = ::read(int(m_notifier->socket()), numbers, sizeof numbers);
    if (count <= 0)
        return;
    m_notifier->setEnabled(false);
    setHandler(SIG_DFL);
    qCDebug(windowLog) << "signal" << int(numbers[0]) << ": closing the window";
    emit endRequested();
}
