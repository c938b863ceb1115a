// Find over a gigabyte of telemetry lines held by the console's store: a
// literal that is absent, case-sensitive and case-insensitive, read once by
// the bare scan and once by the sliced search as the window runs it, with
// the longest slice (how long a key press could wait).
//
// bench_find [megabytes] [runs]   (defaults 1024 and 5; the median is shown)
//
// Prints "name<TAB>value<TAB>unit" lines, as the other benchmarks do.

#include "benchmeasure.h"
#include "consoletext.h"
#include "textpattern.h"
#include "textsearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace {

constexpr qint64 megabyte = 1024 * 1024;

using Bench::report;

// 1 MiB of lines as a board printing its sensors sends them.
QByteArray telemetryMegabyte()
{
    static const char *const states[] = {"RUN", "IDLE", "SLEEP", "CHARGE"};
    QRandomGenerator random(18);
    QByteArray text;
    text.reserve(int(megabyte + 256));
    for (int line = 0; text.size() < megabyte; ++line) {
        const int ms = line * 10;
        text += QByteArray::number(line).rightJustified(8, '0') + ' '
            + QByteArray::number(ms / 3600000 % 24).rightJustified(2, '0') + ':'
            + QByteArray::number(ms / 60000 % 60).rightJustified(2, '0') + ':'
            + QByteArray::number(ms / 1000 % 60).rightJustified(2, '0') + '.'
            + QByteArray::number(ms % 1000).rightJustified(3, '0') + " I sensor: adc0="
            + QByteArray::number(random.bounded(4096)) + " adc1=" + QByteArray::number(random.bounded(4096))
            + " temp=" + QByteArray::number(20 + random.bounded(1500) / 100.0, 'f', 2) + "C vbat="
            + QByteArray::number(3 + random.bounded(1000) / 1000.0, 'f', 3) + "V state="
            + states[random.bounded(4)] + " seq=" + QByteArray::number(random.generate() % 100000) + "\r\n";
    }
    text.truncate(int(megabyte));
    return text;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bare scan over the whole text, in milliseconds.
double scanOnce(const ConsoleText &text, const QByteArray &literal, Qt::CaseSensitivity cs)
{
    const TextPattern pattern(literal, cs, text.mid(text.size() - 65536, 65536));
    qint64 matches = 0;
    QElapsedTimer clock;
    clock.start();
    pattern.scan(text, 0, text.size(), [&](qint64) {
        ++matches;
        return true;
    });
    const double ms = clock.nsecsElapsed() / 1e6;
    return matches == 0 ? ms : -1;
}

struct Sliced
{
    double findMs = 0;
    double countMs = 0;
    double longestSliceMs = 0;
};

// The search run by the event loop as the window runs it: the time until
// it says "not found", then until every match is counted, and the longest
// pass of the loop meanwhile.
Sliced searchOnce(const ConsoleText &text, const QByteArray &literal, Qt::CaseSensitivity cs)
{
    TextSearch search(text);
    Sliced result;
    QElapsedTimer clock;
    QObject::connect(&search, &TextSearch::notFound, [&] { result.findMs = clock.nsecsElapsed() / 1e6; });
    clock.start();
    search.setPattern(QString::fromLatin1(literal), cs);
    search.findForward(0);
    QElapsedTimer slice;
    while (!search.isCounted()) {
        slice.start();
        QCoreApplication::processEvents();
        result.longestSliceMs = std::max(result.longestSliceMs, slice.nsecsElapsed() / 1e6);
    }
    result.countMs = clock.nsecsElapsed() / 1e6;
    return search.matchCount() == 0 ? result : Sliced {-1, -1, -1};
}

void measure(const ConsoleText &text, qint64 megabytes, int runs, const QByteArray &literal, Qt::CaseSensitivity cs)
{
    const QString name = QStringLiteral("find, %1 MB of telemetry lines, absent \"%2\" %3")
                             .arg(megabytes)
                             .arg(QString::fromLatin1(literal),
                                  cs == Qt::CaseSensitive ? QStringLiteral("case-sensitive")
                                                          : QStringLiteral("case-insensitive"));
    std::vector<double> scans;
    std::vector<double> finds;
    std::vector<double> counts;
    double longest = 0;
    for (int run = 0; run < runs; ++run) {
        scans.push_back(scanOnce(text, literal, cs));
        const Sliced sliced = searchOnce(text, literal, cs);
        finds.push_back(sliced.findMs);
        counts.push_back(sliced.countMs);
        longest = std::max(longest, sliced.longestSliceMs);
    }
    const QString ms = QStringLiteral("ms");
    report(name + QStringLiteral(": bare scan"), median(scans), ms);
    report(name + QStringLiteral(": sliced search to \"not found\""), median(finds), ms);
    report(name + QStringLiteral(": sliced search, then count"), median(counts), ms);
    report(name + QStringLiteral(": longest slice"), longest, ms);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::max<qint64>(1, QByteArray(argv[1]).toLongLong()) : 1024;
    const int runs = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 5;
    ConsoleText text;
    const QByteArray block = telemetryMegabyte();
    // Line breaks are stored as one byte: fed until the store holds the size.
    while (text.size() < megabytes * megabyte)
        text.append(block.left(int(std::min<qint64>(block.size(), megabytes * megabyte - text.size()))));
    report(QStringLiteral("find, text held"), double(text.size()) / megabyte, QStringLiteral("MB"));
    measure(text, megabytes, runs, "watchdog reset", Qt::CaseSensitive);
    measure(text, megabytes, runs, "Watchdog Reset", Qt::CaseInsensitive);
    // Every byte of this one is common in the text: memchr stops often.
    measure(text, megabytes, runs, "temp=99.99C", Qt::CaseSensitive);
    measure(text, megabytes, runs, "TEMP=99.99c", Qt::CaseInsensitive);
    return 0;
}
