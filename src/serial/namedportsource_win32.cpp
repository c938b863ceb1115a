#include "namedportsource.h"

#include <QSerialPortInfo>

// Discovery and QSerialPortInfo name ports COM7; the device-namespace prefix
// is added again when the port opens.
QString NamedPortSource::portNameOf(const QString &given)
{
    QString name = given.trimmed();
    if (name.startsWith(QLatin1String("\\\\.\\")))
        name = name.mid(4);
    return name.toUpper();
}

bool NamedPortSource::isPresent() const
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        if (port.portName().compare(m_portName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
