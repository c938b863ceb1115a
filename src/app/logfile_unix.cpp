#include "logfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    m_error.clear();
    // O_NONBLOCK: opening a FIFO nobody reads fails with ENXIO instead of
    // waiting for a reader, and later writes never stall the window.
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = errno == ENXIO ? QStringLiteral("no reader") : systemError(errno);
        return false;
    }
    m_handle = fd;
    struct stat status;
    m_onDisk = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    return true;
}

void LogFile::close()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
}

bool LogFile::isOpen() const
{
    return m_handle >= 0;
}

qint64 LogFile::write(const char *data, qint64 size)
{
    for (;;) {
        const ssize_t written = ::write(int(m_handle), data, size_t(size));
        if (written >= 0)
            return written;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        m_error = systemError(errno);
        return -1;
    }
}

int LogFile::writeNotifierHandle() const
{
    return m_onDisk ? -1 : int(m_handle);
}
