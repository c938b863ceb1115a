#include "benchsupport.h"

#include "hexview.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

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

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void report(const QString &name, double value, const QString &unit)
{
    std::printf("%s\t%.3f\t%s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

ZIvidView *console(TarnTerm *window)
{
    return window->findChild<ZIvidView *>();
}

HexView *hexView(TarnTerm *window)
{
    return window->findChild<HexView *>();
}

} // namespace Bench
