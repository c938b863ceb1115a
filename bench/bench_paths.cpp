// The two data paths through the real, connected window, made to repeat
// exactly so that callgrind counts the same instructions run after run:
// a byte in (batches handed to the window as the port's readyRead hands
// them, through the hex view, the console and the display timer) and the
// paint that follows a small batch.
//
// bench_paths [megabytes]   (default 4)
//
// bench/callgrind_paths.sh runs it with only drainAll() or paintAfterBatch()
// collected.

#include "benchsupport.h"
#include "serialport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>

namespace {

void feed(Bench::Session &session, const QByteArray &batch)
{
    session.port->receivedBytes = batch;
    QMetaObject::invokeMethod(session.window.get(), "readComm");
}

// No event runs between the batches, as when they arrive faster than the
// console is shown; the display timer then shows the held ones.
Q_NEVER_INLINE void drainAll(Bench::Session &session, const QByteArray &text)
{
    constexpr int batch = 4096;
    for (int at = 0; at < text.size(); at += batch)
        feed(session, text.mid(at, batch));
    // The console keeps a CR LF as one line break.
    const qint64 shown = text.size() - text.count('\r');
    ZIvidView *console = Bench::console(session.window.get());
    Bench::runUntil([&] { return console->textSize() >= shown; });
    QCoreApplication::processEvents();
}

// After a pause, so the batch is shown at once; the console is painted
// then and there, with no other event run, so that no timer of the window
// joins the count.
Q_NEVER_INLINE void paintAfterBatch(Bench::Session &session)
{
    feed(session, QByteArrayLiteral("one more line of what the device prints, with its line end\r\n"));
    Bench::console(session.window.get())->viewport()->repaint();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 4;
    const QByteArray text = Bench::textOf(megabytes << 20);
    Bench::Session session(true);
    session.window->resize(900, 700);
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    drainAll(session, text);
    Bench::report(QStringLiteral("paths, %1 MB: drain into the window").arg(megabytes), clock.nsecsElapsed() / 1e6,
                  QStringLiteral("ms"));
    QElapsedTimer pause;
    pause.start();
    Bench::runUntil([&] { return pause.elapsed() > 200; });
    clock.start();
    paintAfterBatch(session);
    Bench::report(QStringLiteral("paths: a batch and its paint"), clock.nsecsElapsed() / 1e6, QStringLiteral("ms"));
    return 0;
}
