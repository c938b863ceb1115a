// Receive path: how fast the terminal drains a device into the console and
// the hex view (hex mode on, and once off), whether a batch gets dearer as
// the session grows, the memory it takes, and the load at a steady 1 MB/s.
//
// bench_receive [--small-writes] [megabytes...]   (default 1 10 100)
//
// --small-writes: only the 64-byte writes with the hex view on, for the first
// size given. The memory figure is then that of a fresh process, not one
// that reuses what earlier sessions freed.

#include "benchsupport.h"
#include "hexview.h"
#include "serialport.h"
#include "tarnterm.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace {

using Bench::Responsiveness;
using Bench::Session;

enum class Delivery {
    LargeWrites,   // the device writes as much as the line takes
    SmallWrites,   // the device writes 64-byte pieces as fast as the line takes them
    LockstepReads, // each 64-byte piece only after the window took the last
};

void drain(qint64 megabytes, Delivery delivery, bool hexMode = true, bool dots = false)
{
    const qint64 size = megabytes * 1024 * 1024;
    const QByteArray text = dots ? QByteArray(int(size), '.') : Bench::textOf(size);
    Session session(hexMode);
    // As a real device, the simulated one writes from elsewhere: "terminal
    // CPU" is then the window's thread alone.
    Bench::DeviceThread device(session.device);

    // Cost per byte of each batch, timed around the window's receive slot.
    QVector<double> costs;
    QObject::disconnect(session.port, &SerialPort::readComm, session.window.get(), nullptr);
    QElapsedTimer batchClock;
    qint64 offered = 0;
    QObject::connect(session.port, &SerialPort::readComm, session.window.get(), [&] {
        const int bytes = session.port->receivedBytes.size();
        batchClock.start();
        QMetaObject::invokeMethod(session.window.get(), "readComm");
        if (bytes > 0)
            costs.append(double(batchClock.nsecsElapsed()) / bytes);
        // A full-speed USB device hands over 64 bytes at a time.
        if (delivery == Delivery::LockstepReads && offered < size) {
            const QByteArray piece = text.mid(int(offered), 64);
            device.post([&session, piece] { session.device.send(piece); });
            offered += 64;
        }
    });

    Responsiveness input;
    const double memoryBefore = Bench::residentMegabytes();
    const double cpuBefore = Bench::cpuSeconds();
    const double terminalCpuBefore = Bench::threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    if (delivery == Delivery::LockstepReads) {
        device.post([&] { session.device.send(text.left(64)); });
        offered = 64;
    } else {
        device.post([&] {
            session.device.setWriteSize(delivery == Delivery::SmallWrites ? 64 : 0);
            session.device.send(text);
        });
    }
    Bench::runUntil([&] { return session.shown() >= size; });
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = Bench::cpuSeconds() - cpuBefore;
    const double terminalCpu = Bench::threadCpuSeconds() - terminalCpuBefore;

    const char *const deliveries[] = {"large writes", "64-byte writes", "64-byte reads in lockstep"};
    const QString name = QStringLiteral("receive %1 MB%2, %3%4")
                             .arg(megabytes)
                             .arg(dots ? QStringLiteral(" of dots, no line break") : QString())
                             .arg(QLatin1String(deliveries[int(delivery)]))
                             .arg(hexMode ? QString() : QStringLiteral(", hex off"));
    Bench::report(name + QStringLiteral(": throughput"), megabytes / seconds, QStringLiteral("MB/s"));
    Bench::report(name + QStringLiteral(": CPU per wall"), 100.0 * cpu / seconds, QStringLiteral("%"));
    Bench::report(name + QStringLiteral(": terminal CPU per MB"), terminalCpu / megabytes, QStringLiteral("s"));
    Bench::report(name + QStringLiteral(": CPU per MB with the device"), cpu / megabytes, QStringLiteral("s"));
    Bench::report(name + QStringLiteral(": worst input wait"), input.worst, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": memory per MB"),
                  (Bench::residentMegabytes() - memoryBefore) / megabytes, QStringLiteral("MB/MB"));
    const int sample = std::min<int>(200, costs.size() / 4);
    if (sample > 0) {
        auto mean = [&](int from) {
            QVector<double> part = costs.mid(from, sample);
            std::sort(part.begin(), part.end());
            return part.at(part.size() / 2);
        };
        Bench::report(name + QStringLiteral(": batch cost end/start"),
                      mean(costs.size() - sample) / mean(0), QStringLiteral("ratio"));
    }
}

// A device printing steadily at 1 MB/s in 64-byte packets for a while. The
// device runs in a thread of its own; "terminal CPU" is the window's thread.
void steady(int seconds, bool hexMode = true)
{
    const QByteArray text = Bench::textOf(1024 * 1024);
    Session session(hexMode);
    Responsiveness input;
    const double cpuBefore = Bench::cpuSeconds();
    const double terminalCpuBefore = Bench::threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        Bench::PacedSender sender(session, text, 1024 * 1024, seconds);
        Bench::runUntil([&] { return wall.elapsed() >= seconds * 1000; });
    }
    const double elapsed = wall.elapsed() / 1000.0;
    const double terminalCpu = Bench::threadCpuSeconds() - terminalCpuBefore;
    const double cpu = Bench::cpuSeconds() - cpuBefore;
    const QString name = QStringLiteral("steady 1 MB/s for %1 s%2: ")
                             .arg(seconds).arg(hexMode ? QString() : QStringLiteral(", hex off"));
    Bench::report(name + QStringLiteral("terminal CPU"), 100.0 * terminalCpu / elapsed, QStringLiteral("% of a core"));
    Bench::report(name + QStringLiteral("CPU with the device"), 100.0 * cpu / elapsed, QStringLiteral("% of a core"));
    Bench::report(name + QStringLiteral("worst input wait"), input.worst, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral("shown"), session.shown() / 1048576.0, QStringLiteral("MB"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    QList<qint64> sizes;
    bool smallWritesOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--small-writes")
            smallWritesOnly = true;
        else
            sizes << QByteArray(argv[i]).toLongLong();
    }
    if (sizes.isEmpty())
        sizes = {1, 10, 100};
    if (smallWritesOnly) {
        drain(std::max<qint64>(1, sizes.first()), Delivery::SmallWrites);
        return 0;
    }
    for (qint64 megabytes : qAsConst(sizes)) {
        if (megabytes <= 0)
            continue; // "0": the steady run alone
        drain(megabytes, Delivery::LargeWrites);
        drain(megabytes, Delivery::SmallWrites);
        drain(megabytes, Delivery::LockstepReads);
        drain(megabytes, Delivery::SmallWrites, false);
        drain(megabytes, Delivery::SmallWrites, false, true);
    }
    steady(10);
    steady(10, false);
    return 0;
}
