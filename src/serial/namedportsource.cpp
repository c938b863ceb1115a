#include "namedportsource.h"

NamedPortSource::NamedPortSource(const QString &name, const QString &deviceRoot)
    : m_portName(portNameOf(name))
    , m_deviceRoot(deviceRoot)
{
}

QStringList NamedPortSource::presentPorts() const
{
    if (m_portName.isEmpty() || !isPresent())
        return QStringList();
    return QStringList {m_portName};
}
