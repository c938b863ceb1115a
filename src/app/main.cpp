#include "commandlineoptions.h"
#include "portlisting.h"
#include "tarnterm.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Read before QApplication: --list and bad arguments need no display.
    const CommandLineOptions options = CommandLineOptions::parse(CommandLineOptions::arguments(argc, argv));
    if (!options.proceed)
        return options.printMessage();
    if (options.listPorts) {
        QTextStream out(stdout);
        return PortListing::print(PortListing::presentPorts(), out);
    }

    Q_INIT_RESOURCE(tarnterm);
    QApplication app(argc, argv);
    TarnTerm window;
    // INTEGRATION: hand the named port and the log file to the window here,
    // before it is shown, e.g. window.setPortName(options.portName) and
    // window.setLogFile(options.logFile); both empty when not given.
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
