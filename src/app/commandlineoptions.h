#pragma once

#include <QString>
#include <QStringList>

// The command line, read before any window exists. parse() never exits, so a
// test sees every outcome; main() acts on the result.
class CommandLineOptions
{
public:
    // arguments with the program name first, as argv gives them.
    static CommandLineOptions parse(const QStringList &arguments);
    static QStringList arguments(int argc, char *argv[]);

    // False when the program ends at once: message (help or version on
    // stdout, an error on stderr), then exitCode (0, or 2 for bad arguments).
    bool proceed = true;
    int exitCode = 0;
    QString message;

    bool listPorts = false;
    QString portName; // as the serial-port module names it; empty: find by USB IDs
    QString logFile;  // empty: no log

    // Writes message where it belongs and returns exitCode.
    int printMessage() const;
};
