// What the console's line times take: 80-column lines at 1 MB/s in 64-byte
// batches (a USB device's), and one such line a second. The clock follows
// the bytes sent, so a run takes no longer than the appends do.
//
// bench_linetimes [megabytes]   (default 64)
//
// Memory is counted from the structure: entries times their 16 bytes. The
// deque that holds them adds a pointer per 512-byte block, about 1.6 %.
// Prints "name<TAB>value<TAB>unit" lines, as the other benchmarks do.

#include "benchmeasure.h"
#include "consoletext.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr qint64 megabyte = 1024 * 1024;

QByteArray line80(qint64 n)
{
    return QByteArray::number(n).rightJustified(78, '.') + "\r\n";
}

double timesPerMegabyte(qint64 megabytes)
{
    ConsoleText text;
    const qint64 total = megabytes * megabyte;
    QByteArray pending;
    qint64 sent = 0;
    for (qint64 n = 0; sent < total; ++n) {
        pending += line80(n);
        while (pending.size() >= 64) {
            // At 1 MB/s a byte takes a microsecond.
            text.append(pending.left(64), sent / 1000);
            pending.remove(0, 64);
            sent += 64;
        }
    }
    return double(text.lineTimeCount() * LineTimes::entryBytes) / double(megabytes * megabyte);
}

double bytesPerSlowLine(qint64 lines)
{
    ConsoleText text;
    for (qint64 n = 0; n < lines; ++n)
        text.append(line80(n), n * 1000);
    return double(text.lineTimeCount() * LineTimes::entryBytes) / double(lines);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 64;
    const double perMegabyte = timesPerMegabyte(megabytes);
    Bench::report(QStringLiteral("line times, 80-column lines at 1 MB/s"), perMegabyte, QStringLiteral("MB per MB of text"));
    const double perLine = bytesPerSlowLine(100000);
    Bench::report(QStringLiteral("line times, one line a second"), perLine, QStringLiteral("bytes per line"));
    Bench::report(QStringLiteral("line times, one line a second, a day"), perLine * 86400 / megabyte,
                  QStringLiteral("MB"));
    return 0;
}
