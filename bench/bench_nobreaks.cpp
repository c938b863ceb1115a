// A device that sends at a steady 1 MB/s with almost no line breaks, into the
// real window with hex mode on: progress dots (one line that never ends) or
// binary bytes with a CR LF every 8 KB. A console that lays out the whole
// last line again on each insertion gets dearer as that line grows.
//
// bench_nobreaks [seconds] [dots|binary] [KB/s]   (default 60 dots 1024)
//
// A slow rate (dots at 11.5 KB/s, as a device printing progress does) shows
// whether a line that keeps growing for minutes holds up input.

#include "benchsupport.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

namespace {

constexpr int megabyte = 1024 * 1024;

// One megabyte of the stream and the number of line breaks in it.
QByteArray streamOf(bool binary, int *breaks)
{
    *breaks = 0;
    if (!binary)
        return QByteArray(megabyte, '.');
    QByteArray bytes(megabyte, Qt::Uninitialized);
    QRandomGenerator random(11);
    for (int i = 0; i < bytes.size(); ++i) {
        if (i % 8192 == 8190) {
            bytes[i++] = '\r';
            bytes[i] = '\n';
            ++*breaks;
            continue;
        }
        // No NUL, backspace, CR or LF: each shown byte is one character.
        char byte;
        do {
            byte = char(random.bounded(256));
        } while (byte == '\0' || byte == '\b' || byte == '\r' || byte == '\n');
        bytes[i] = byte;
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    const bool binary = argc > 2 && QByteArray(argv[2]) == "binary";
    // Whole 64-byte pieces; the binary stream's breaks are counted per megabyte.
    const qint64 rate = binary || argc <= 3 ? megabyte : qint64(QByteArray(argv[3]).toDouble() * 1024) / 64 * 64;
    int breaksPerMegabyte = 0;
    const QByteArray stream = streamOf(binary, &breaksPerMegabyte);

    Bench::Session session;
    ZIvidView *console = Bench::console(session.window.get());
    Bench::Responsiveness input;
    const double cpuBefore = Bench::threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const qint64 total = qint64(seconds) * rate;
    const qint64 characters = total - qint64(seconds) * breaksPerMegabyte * (rate / megabyte);
    {
        Bench::PacedSender sender(session, stream, rate, seconds);
        // Both views have it all; a minute more at most for them to catch up.
        Bench::runUntil([&] {
            return (session.shown() >= total && console->textSize() >= characters)
                || wall.elapsed() > (2 * seconds + 60) * 1000;
        });
    }
    const double elapsed = wall.elapsed() / 1000.0;
    const double cpu = Bench::threadCpuSeconds() - cpuBefore;

    const QString speed = rate == megabyte ? QStringLiteral("1 MB/s") : QStringLiteral("%1 KB/s").arg(rate / 1024.0);
    const QString name = QStringLiteral("no line breaks (%1), %2 for %3 s")
                             .arg(binary ? QStringLiteral("binary") : QStringLiteral("dots"), speed)
                             .arg(seconds);
    Bench::report(name + QStringLiteral(": throughput"), session.shown() / 1048576.0 / elapsed,
                  QStringLiteral("MB/s"));
    Bench::report(name + QStringLiteral(": terminal CPU"), 100.0 * cpu / elapsed, QStringLiteral("% of a core"));
    Bench::report(name + QStringLiteral(": worst input wait"), input.worst, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": console characters missing"),
                  characters - console->textSize(), QStringLiteral("characters"));
    return 0;
}
