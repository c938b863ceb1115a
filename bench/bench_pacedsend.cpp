// A paste of 400 bytes into the console of the connected window goes out
// one byte at a time with the write delay (5 ms) after each, the waits being
// timer ticks of the event loop; this measures what that costs the processor.
//
// bench_pacedsend [bytes]   (default 400)

#include "benchsupport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const int bytes = argc > 1 ? QByteArray(argv[1]).toInt() : 400;

    Bench::Session session;
    if (session.window->writeDelay() != 5)
        qFatal("expected the default write delay of 5 ms");
    QGuiApplication::clipboard()->setText(QString(bytes, QLatin1Char('p')));

    const double cpuBefore = Bench::cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Bench::console(session.window.get())->paste();
    Bench::runUntil([&] { return session.device.received.size() >= bytes; });
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = Bench::cpuSeconds() - cpuBefore;

    const QString name = QStringLiteral("paced send of %1 bytes at 5 ms").arg(bytes);
    Bench::report(name + QStringLiteral(": wall"), seconds * 1000, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": CPU"), cpu * 1000, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": CPU per wall"), 100.0 * cpu / seconds, QStringLiteral("%"));
    return 0;
}
