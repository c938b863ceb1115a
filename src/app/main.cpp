#include "commandlineoptions.h"
#include "devicesource.h"
#include "parentconsole.h"
#include "portlisting.h"
#include "processsetup.h"
#include "qtcompat.h"
#include "receivelog.h"
#include "tarnterm.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int badArguments = 2;

} // namespace

int main(int argc, char *argv[])
{
    ProcessSetup::ignoreBrokenPipes();
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
    // A log that cannot be opened is a mistake on the command line: said
    // before any window opens, not in a message the watch soon overwrites.
    auto *receiveLog = new ReceiveLog;
    if (!options.logFile.isEmpty() && !receiveLog->open(options.logFile)) {
        std::fprintf(stderr, "tarnterm: can't open the log file %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(options.logFile)), qPrintable(receiveLog->errorString()));
        delete receiveLog;
        return badArguments;
    }

    Q_INIT_RESOURCE(tarnterm);
    QtCompat::scaleForScreens();
    QApplication app(argc, argv);
    // Before the window: a request to end that comes while it opens waits
    // for the event loop.
    TerminationSignals termination;
    TarnTerm window;
    if (!options.portName.isEmpty())
        window.setPortName(options.portName);
    window.setReceiveLog(receiveLog);
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    // As the close button does, so the settings are stored and the log
    // closed; then whatever dialog was left open.
    QObject::connect(&termination, &TerminationSignals::endRequested, &window, [&window] {
        window.close();
        QApplication::closeAllWindows();
    });
    return app.exec();
}
