#include "testenvironment.h"

#include <QSettings>
#include <QTemporaryDir>

void initTestEnvironment()
{
    Q_INIT_RESOURCE(tarnterm);
    static QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}
