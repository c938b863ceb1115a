// The console and the hex view on their own, no device and no window: how
// fast they take 80-column text in 4 KiB and in 64-byte batches, the memory
// they hold per MB, whether a batch gets dearer as the text grows, and what
// a repaint and a resize cost with all of it held.
//
// bench_console console|hex [megabytes]   (default: console 100)
//
// One view per run, so that the memory one gave back is not counted for
// the other.

#include "benchsupport.h"
#include "hexview.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <numeric>

namespace {

constexpr int megabyte = 1024 * 1024;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Milliseconds for a call, the median of five.
template<typename F>
double timed(F call)
{
    QVector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < 5; ++i) {
        clock.start();
        call(i);
        times.append(clock.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// Feeds `megabytes` of text in batches of `batch` bytes (1 MiB of text over
// and over, never copied on the way), the time of each megabyte in `perMegabyte`.
template<typename Take>
double feed(qint64 megabytes, int batch, Take take, QVector<double> *perMegabyte)
{
    static const QByteArray text = Bench::textOf(megabyte);
    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    for (qint64 mb = 0; mb < megabytes; ++mb) {
        clock.start();
        for (int at = 0; at < megabyte; at += batch)
            take(QByteArray::fromRawData(text.constData() + at, batch));
        perMegabyte->append(clock.nsecsElapsed() / 1e6);
    }
    return total.nsecsElapsed() / 1e9;
}

void console(qint64 megabytes, int batch, bool measureMemory)
{
    const QString name = QStringLiteral("console alone, %1 MB in %2-byte batches").arg(megabytes).arg(batch);
    const double memoryBefore = Bench::residentMegabytes();
    ZIvidView view;
    view.resize(900, 700);
    view.show();
    QVector<double> perMegabyte;
    const double seconds = feed(megabytes, batch, [&](const QByteArray &bytes) { view.displayData(bytes); },
                                &perMegabyte);
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    const double all = seconds + clock.nsecsElapsed() / 1e9;
    Bench::report(name + QStringLiteral(": throughput"), megabytes / all, QStringLiteral("MB/s"));
    // Means, not medians: a megabyte that starts a new chunk of memory costs
    // more than one that fills it, and they alternate.
    const int sample = std::max(1, int(perMegabyte.size() / 10));
    const auto mean = [](const QVector<double> &values) {
        return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    };
    Bench::report(name + QStringLiteral(": batch cost end/start"),
                  mean(perMegabyte.mid(perMegabyte.size() - sample)) / mean(perMegabyte.mid(0, sample)),
                  QStringLiteral("ratio"));
    if (!measureMemory)
        return;
    Bench::report(name + QStringLiteral(": memory per MB"),
                  (Bench::residentMegabytes() - memoryBefore) / megabytes, QStringLiteral("MB/MB"));
    Bench::report(name + QStringLiteral(": repaint"), timed([&](int) { view.viewport()->repaint(); }),
                  QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": resize"), timed([&](int i) {
                      view.resize(i % 2 ? 900 : 1100, 700);
                      QCoreApplication::processEvents();
                      view.viewport()->repaint();
                  }),
                  QStringLiteral("ms"));
    QScrollBar *bar = view.verticalScrollBar();
    Bench::report(name + QStringLiteral(": scroll to top and back"), timed([&](int) {
                      bar->setValue(0);
                      view.viewport()->repaint();
                      bar->setValue(bar->maximum());
                      view.viewport()->repaint();
                  }),
                  QStringLiteral("ms"));
    QElapsedTimer echo;
    echo.start();
    view.displayData("x");
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    Bench::report(name + QStringLiteral(": one more byte shown"), echo.nsecsElapsed() / 1e6, QStringLiteral("ms"));
    // Through the event loop alone, as the window shows a batch: the
    // repaint covers what changed.
    Bench::report(name + QStringLiteral(": 3-byte batch painted"), timed([&](int) {
                      view.displayData("abc");
                      QCoreApplication::processEvents();
                      QCoreApplication::processEvents();
                  }),
                  QStringLiteral("ms"));
}

void hexView(qint64 megabytes)
{
    const QString name = QStringLiteral("hex view alone, %1 MB in 64-byte batches").arg(megabytes);
    const double memoryBefore = Bench::residentMegabytes();
    HexView view;
    view.resize(700, 500);
    view.show();
    QVector<double> perMegabyte;
    const double seconds = feed(megabytes, 64, [&](const QByteArray &bytes) { view.appendData(bytes); },
                                &perMegabyte);
    Bench::report(name + QStringLiteral(": throughput"), megabytes / seconds, QStringLiteral("MB/s"));
    Bench::report(name + QStringLiteral(": memory per MB"),
                  (Bench::residentMegabytes() - memoryBefore) / megabytes, QStringLiteral("MB/MB"));
    QCoreApplication::processEvents();
    Bench::report(name + QStringLiteral(": scroll to end and repaint"), timed([&](int) {
                      view.verticalScrollBar()->setValue(0);
                      view.scrollToEnd();
                      view.viewport()->repaint();
                  }),
                  QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": rows in the scroll range"),
                  view.verticalScrollBar()->maximum() + view.verticalScrollBar()->pageStep(), QStringLiteral("rows"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const bool hex = argc > 1 && QByteArray(argv[1]) == "hex";
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 100;
    if (hex) {
        hexView(megabytes);
    } else {
        console(megabytes, 4096, true);
        console(std::min<qint64>(megabytes, 100), 64, false);
    }
    return 0;
}
