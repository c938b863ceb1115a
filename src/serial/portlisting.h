#pragma once

#include <QList>
#include <QString>

class QTextStream;

// What --list prints: the known devices present, then every other serial port
// marked as not known, so a user sees why a port is passed over.
class PortListing
{
public:
    struct Port
    {
        QString name;
        quint16 vendorId = 0;
        quint16 productId = 0;
        QString description;
        bool hasIds = false; // false for a port without USB identifiers (ttyS0)
    };

    // The serial ports present now, as the serial-port module lists them.
    static QList<Port> presentPorts();

    // Writes one line per port and returns the exit code: 0 when at least
    // one known device is among ports, 1 when none is.
    static int print(const QList<Port> &ports, QTextStream &out);
};
