#include "commandlineoptions.h"
#include "devicesource.h"
#include "parentconsole.h"
#include "portlisting.h"
#include "tarnterm.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Read before QApplication: --list and bad arguments need no display.
    const CommandLineOptions options = CommandLineOptions::parse(CommandLineOptions::arguments(argc, argv));
    if (!options.proceed || options.listPorts)
        ParentConsole::attach();
    if (!options.proceed)
        return options.printMessage();
    if (options.listPorts) {
        QTextStream out(stdout);
        return PortListing::print(PortListing::presentPorts(*DeviceSource::createPlatformSource()), out);
    }

    Q_INIT_RESOURCE(tarnterm);
    QApplication app(argc, argv);
    TarnTerm window;
    if (!options.portName.isEmpty())
        window.setPortName(options.portName);
    window.setLogFile(options.logFile);
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
