#include "diskfull.h"

#include <csignal>
#include <sys/resource.h>

FileSizeCap::FileSizeCap(qint64 bytes)
{
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_previousLimit = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeCap::~FileSizeCap()
{
    rlimit limit {};
    if (m_active && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = rlim_t(m_previousLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::signal(SIGXFSZ, m_previousHandler);
}

QString alwaysFullDevice()
{
    return QStringLiteral("/dev/full");
}
