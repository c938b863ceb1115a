// How long a typed key takes to reach the device: a key press is posted to
// the connected window's console as the window system would deliver it, and
// the device, in a thread of its own, notes when the byte arrives. Idle
// line, the window otherwise quiet; median and 90th percentile.
//
// bench_keywire [presses]   (default 300)

#include "benchsupport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace {

qint64 nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const int presses = argc > 1 ? QByteArray(argv[1]).toInt() : 300;

    Bench::Session session(false);
    ZIvidView *console = Bench::console(session.window.get());
    std::atomic<qint64> arrived {0};
    Bench::DeviceThread deviceThread(session.device);
    QObject::connect(&session.device, &SimulatedDevice::bytesReceived, &session.device,
                     [&](const QByteArray &) { arrived.store(nowNanoseconds()); }, Qt::DirectConnection);

    std::vector<double> milliseconds;
    for (int press = 0; press < presses; ++press) {
        arrived.store(0);
        const qint64 pressed = nowNanoseconds();
        QCoreApplication::postEvent(console, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        Bench::runUntil([&] { return arrived.load() != 0; });
        milliseconds.push_back((arrived.load() - pressed) / 1e6);
        // Let the echo come back and the window settle, as between keystrokes.
        const qint64 settle = nowNanoseconds() + 20'000'000;
        Bench::runUntil([&] { return nowNanoseconds() >= settle; });
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    Bench::report(QStringLiteral("key to wire, idle: median"), milliseconds[milliseconds.size() / 2],
                  QStringLiteral("ms"));
    Bench::report(QStringLiteral("key to wire, idle: 90th percentile"),
                  milliseconds[milliseconds.size() * 9 / 10], QStringLiteral("ms"));
    return 0;
}
