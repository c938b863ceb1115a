// Saving a large selection, and a large capture as HTML, from a console
// holding a long session: how long the window's event loop is held up at
// most, and how long the save takes, written at once on the window's
// thread as before (through ConsoleExport and QSaveFile) and in slices by
// SlicedSave. A 1 ms timer stands in for the window: its longest gap is
// the longest a key press or a received byte waits.
//
// bench_save [megabytes] [folder]   (defaults 256 and the system's temporary folder)
//
// Prints "name<TAB>value<TAB>unit" lines, as the other benchmarks do.

#include "benchmeasure.h"
#include "slicedsave.h"
#include "zividview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

// 1 MiB of numbered lines, 65 characters and CR LF each, with a colour
// sequence and characters HTML escapes.
QByteArray linesOf(qint64 first)
{
    QByteArray lines;
    lines.reserve(1 << 20);
    for (qint64 n = first; lines.size() + 67 <= 1 << 20; ++n)
        lines += QByteArray::number(n).rightJustified(10, '0') + " \x1b[32m<ok>\x1b[0m "
            + QByteArray(38, char('a' + n % 26)) + " a&b\r\n";
    return lines;
}

struct Timing
{
    double totalMs = 0;
    double longestStallMs = 0;
};

// The old way: one call that returns when the file is in place.
Timing saveAtOnce(const QString &path, const std::function<bool(QIODevice *)> &write)
{
    QElapsedTimer clock;
    clock.start();
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Text) && write(&file) && file.flush();
    const double writtenMs = clock.nsecsElapsed() / 1e6;
    const bool saved = written && file.commit();
    const double ms = clock.nsecsElapsed() / 1e6;
    Bench::report(QStringLiteral("  of which written"), writtenMs, QStringLiteral("ms"));
    return {saved ? ms : -1, saved ? ms : -1};
}

Timing saveInSlices(ZIvidView &view, const QString &path, const TextExporter &exporter)
{
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    bool saved = false;
    bool done = false;
    auto *save = new SlicedSave(&view, path, exporter);
    QObject::connect(save, &SlicedSave::finished, [&](const SlicedSave::Result &result) {
        saved = result.outcome == SlicedSave::Outcome::Saved;
        done = true;
    });
    ticker.start();
    clock.start();
    sinceTick.start();
    save->start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double total = clock.nsecsElapsed() / 1e6;
    longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
    return {saved ? total : -1, saved ? longest : -1};
}

void report(const QString &name, qint64 megabytes, const Timing &timing)
{
    const QString size = QStringLiteral(" %1 MiB").arg(megabytes);
    Bench::report(name + size + QStringLiteral(", total"), timing.totalMs, QStringLiteral("ms"));
    Bench::report(name + size + QStringLiteral(", longest stall"), timing.longestStallMs, QStringLiteral("ms"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 256;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/bench_save-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/bench_save-XXXXXX"));
    ZIvidView view;
    view.setDeviceColours(true);
    for (qint64 i = 0; i < megabytes; ++i)
        view.displayData(linesOf(i * 15650));
    view.selectAll();
    const QString path = dir.filePath(QStringLiteral("saved"));

    // Each file is removed before the next save, so that none waits on the
    // disk for another's pages. The disk favours a later save over an
    // earlier one, so each way runs twice, in turn.
    const auto saveSelectionAtOnce = [&] {
        report(QStringLiteral("save selection at once"), megabytes,
               saveAtOnce(path, [&view](QIODevice *file) { return view.writeSelection(file); }));
        QFile::remove(path);
    };
    const auto saveSelectionInSlices = [&] {
        report(QStringLiteral("save selection in slices"), megabytes,
               saveInSlices(view, path, view.selectionExporter()));
        QFile::remove(path);
    };
    for (int round = 0; round < 2; ++round) {
        saveSelectionAtOnce();
        saveSelectionInSlices();
    }
    report(QStringLiteral("save HTML capture at once"), megabytes,
           saveAtOnce(path, [&view](QIODevice *file) { return view.writeHtml(file); }));
    QFile::remove(path);
    report(QStringLiteral("save HTML capture in slices"), megabytes,
           saveInSlices(view, path, view.captureExporter(TextExporter::Format::Html)));
    QFile::remove(path);
    return 0;
}
