#include "fuzzapplication.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

void dropDebugMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void startFuzzApplication()
{
    if (QCoreApplication::instance())
        return;
    Q_INIT_RESOURCE(tarnterm);
    qInstallMessageHandler(dropDebugMessages);
    // A fixed command line: libFuzzer's own flags are no business of Qt's.
    static int argc = 1;
    static char name[] = "tarnterm-fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void fuzzFailure(const char *what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}
