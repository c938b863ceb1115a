#pragma once

#include "discovery.h"

#include <QList>
#include <QString>

class DeviceSource;
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

    // The serial ports present now: those the serial-port module lists, and
    // the known devices the window's own discovery finds through source
    // (SetupAPI on Windows, which may name a device the module lists without
    // its IDs, or not at all).
    static QList<Port> presentPorts(DeviceSource &source);

    // ports with each found device put in: its record replaces a port of the
    // same name, or comes after the others.
    static QList<Port> withFoundDevices(QList<Port> ports, const QList<Discovery::FoundDevice> &found);

    // Writes one line per port and returns the exit code: 0 when at least
    // one known device is among ports, 1 when none is.
    static int print(const QList<Port> &ports, QTextStream &out);
};
