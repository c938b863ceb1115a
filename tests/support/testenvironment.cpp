#include "testenvironment.h"

#include <QTemporaryDir>

#include <sys/resource.h>

void initTestEnvironment()
{
    Q_INIT_RESOURCE(tarnterm);
    static QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}

QSettings settingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TarnwickTerm"),
                     QStringLiteral("Tarnwick's Terminal V3.07"));
}

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
