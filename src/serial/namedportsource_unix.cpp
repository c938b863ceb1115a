#include "namedportsource.h"

#include <QFileInfo>

namespace {

const QString devPrefix = QStringLiteral("/dev/");

} // namespace

// QSerialPort looks a relative name up under /dev, so /dev/ttyUSB0 becomes
// ttyUSB0 (and /dev/pts/3 pts/3); a path elsewhere (a socat link) stays whole.
// A name written relative to the current folder (./ttyV0) is made whole
// first; a bare name (ttyUSB0, pts/3) stays one under /dev.
QString NamedPortSource::portNameOf(const QString &given)
{
    QString name = given.trimmed();
    if (name.startsWith(QLatin1String("./")) || name.startsWith(QLatin1String("../")))
        name = QFileInfo(name).absoluteFilePath();
    if (name.startsWith(devPrefix))
        return name.mid(devPrefix.size());
    if (name.endsWith(QLatin1Char('/')))
        return QString();
    return name;
}

// Every port the serial-port module lists here is a node under /dev, so the
// node alone answers, and a test can point the root at a folder of its own.
bool NamedPortSource::isPresent() const
{
    const QString path = m_portName.startsWith(QLatin1Char('/')) ? m_portName
                                                                 : m_deviceRoot + QLatin1Char('/') + m_portName;
    return QFileInfo::exists(path);
}
