// What Clear Screen gives back: resident memory before a long session of
// 67-byte lines, at its peak, and after Clear Screen, through the real,
// connected window with the hex view shown.
//
// bench_clear [megabytes] [on|off] [hex|text]   (default 300 on hex)
//   on:  Timestamps Clock and Device Colours on, Hold Output off
//   off: every option off
//   text: the hex view hidden (it is fed all the same)

#include "benchsupport.h"
#include "serialport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

namespace {

// 1 MiB of numbered lines, 65 characters and CR LF each.
QByteArray linesOf(qint64 first)
{
    QByteArray lines;
    lines.reserve(1 << 20);
    for (qint64 n = first; lines.size() + 67 <= 1 << 20; ++n)
        lines += QByteArray::number(n).rightJustified(10, '0') + ' ' + QByteArray(54, 'a' + n % 26) + "\r\n";
    return lines;
}

void feed(Bench::Session &session, const QByteArray &batch)
{
    session.port->receivedBytes = batch;
    QMetaObject::invokeMethod(session.window.get(), "readComm");
}

void check(TarnTerm *window, const char *action)
{
    window->findChild<QAction *>(QLatin1String(action))->setChecked(true);
}

void pause(int msecs)
{
    QElapsedTimer clock;
    clock.start();
    Bench::runUntil([&] { return clock.elapsed() > msecs; });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 300;
    const bool options = argc <= 2 || QByteArray(argv[2]) != "off";
    const bool hexShown = argc <= 3 || QByteArray(argv[3]) != "text";
    Bench::Session session(hexShown);
    TarnTerm *window = session.window.get();
    window->resize(900, 700);
    if (options) {
        check(window, "actionTimestamps_Clock");
        check(window, "actionDevice_Colours");
    }
    pause(200);
    const QString name =
        QStringLiteral("clear, %1 MB, options %2, %3: ")
            .arg(megabytes)
            .arg(QLatin1String(options ? "on" : "off"), QLatin1String(hexShown ? "hex view" : "text view"));
    const double before = Bench::residentMegabytes();

    ZIvidView *console = Bench::console(window);
    qint64 sent = 0;
    for (qint64 mb = 0; mb < megabytes; ++mb) {
        const QByteArray lines = linesOf(mb * 16000);
        for (int at = 0; at < lines.size(); at += 4096)
            feed(session, lines.mid(at, 4096));
        sent += lines.size();
        QCoreApplication::processEvents();
    }
    const qint64 shown = sent - sent / 67;
    Bench::runUntil([&] { return console->textSize() >= shown; });
    pause(100);
    const double peak = Bench::peakResidentMegabytes();

    QElapsedTimer clock;
    clock.start();
    QMetaObject::invokeMethod(window, "clearScreen");
    const double clearing = clock.nsecsElapsed() / 1e6;
    pause(300);
    const double after = Bench::residentMegabytes();
    Bench::report(name + QStringLiteral("resident before"), before, QStringLiteral("MB"));
    Bench::report(name + QStringLiteral("resident at peak"), peak, QStringLiteral("MB"));
    Bench::report(name + QStringLiteral("resident after Clear Screen"), after, QStringLiteral("MB"));
    Bench::report(name + QStringLiteral("Clear Screen"), clearing, QStringLiteral("ms"));
    return 0;
}
