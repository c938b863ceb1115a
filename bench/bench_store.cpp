// The console's store at sizes the other benchmarks do not reach: deleting a
// few characters near the top of a large text, one more batch on a long line
// that holds a tab, the index's memory per line of short lines, and what
// Clear Screen gives back.
//
// bench_store delete|tab|lines|empty|clear [megabytes]
//   delete  (default 2048)  10 characters at the top, rows brought up to date
//   tab     (default 100)   3-byte batches at the end of one line of that
//                           size, after a tab and without one
//   lines   (default 100)   index bytes per line of 10-character lines
//   empty   (default 100)   index bytes per line of empty lines
//   clear   (default 1024)  resident memory before, full, and after clear()
//
// Prints "name<TAB>value<TAB>unit" lines, as the other benchmarks do.

#include "benchmeasure.h"
#include "consolerows.h"
#include "consoletext.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

constexpr qint64 megabyte = 1024 * 1024;

using Bench::report;
using Bench::residentMegabytes;

// 1 MiB of 78-character lines ending in CR LF.
QByteArray textMegabyte()
{
    QByteArray text;
    text.reserve(int(megabyte));
    for (int line = 0; text.size() < megabyte; ++line) {
        QByteArray row = QByteArray::number(line).rightJustified(8, '0') + ' ';
        while (row.size() < 78)
            row += char('a' + (row.size() + line) % 26);
        text += row + "\r\n";
    }
    text.truncate(int(megabyte));
    return text;
}

// Feeds `bytes` over and over in 4 KiB batches, the rows kept up to date as
// the view keeps them.
void feed(ConsoleText &text, ConsoleRows &rows, const QByteArray &bytes, qint64 total)
{
    for (qint64 fed = 0; fed < total;) {
        for (int at = 0; at < bytes.size() && fed < total; at += 4096) {
            const int size = int(std::min<qint64>({4096, bytes.size() - at, total - fed}));
            text.append(QByteArray::fromRawData(bytes.constData() + at, size));
            rows.update(text);
            fed += size;
        }
    }
}

void deleteAtTop(qint64 megabytes)
{
    ConsoleText text;
    ConsoleRows rows;
    rows.setColumns(text, 120);
    feed(text, rows, textMegabyte(), megabytes * megabyte);
    const double before = residentMegabytes();
    QElapsedTimer clock;
    clock.start();
    text.remove(100, 110);
    rows.update(text);
    const QString name = QStringLiteral("store, %1 MB: delete 10 characters at the top").arg(megabytes);
    report(name, clock.nsecsElapsed() / 1e6, QStringLiteral("ms"));
    report(name + QStringLiteral(", memory added"), residentMegabytes() - before, QStringLiteral("MB"));
}

// Microseconds per 3-byte batch at the end of a line of `megabytes`, the
// last row found as a repaint finds it.
double batchOnLongLine(qint64 megabytes, bool tab)
{
    ConsoleText text;
    ConsoleRows rows;
    rows.setColumns(text, 120);
    text.append(tab ? "\t" : "x");
    const QByteArray block(int(megabyte), 'x');
    for (qint64 i = 0; i < megabytes; ++i)
        text.append(block);
    rows.update(text);
    const QByteArray batch("xyz");
    // 100000 batches, or as many as two seconds take.
    int batches = 0;
    qint64 sum = 0;
    QElapsedTimer clock;
    clock.start();
    for (; batches < 100000 && clock.elapsed() < 2000; ++batches) {
        text.append(batch);
        rows.update(text);
        qint64 rowInLine = 0;
        const qint64 line = rows.lineOfRow(rows.rowCount() - 1, &rowInLine);
        sum += rows.rowOffset(text, line, rowInLine);
    }
    const double micros = clock.nsecsElapsed() / 1e3 / batches;
    return sum > 0 ? micros : -1;
}

void longLines(qint64 megabytes)
{
    const QString name = QStringLiteral("store, one line of %1 MB: 3-byte batch").arg(megabytes);
    const double plain = batchOnLongLine(megabytes, false);
    report(name + QStringLiteral(", no tab"), plain, QStringLiteral("us"));
    const double tabbed = batchOnLongLine(megabytes, true);
    report(name + QStringLiteral(", after a tab"), tabbed, QStringLiteral("us"));
    report(name + QStringLiteral(", tab/no tab"), tabbed / plain, QStringLiteral("ratio"));
}

void indexPerLine(qint64 megabytes, const QByteArray &line, const QString &what)
{
    const double before = residentMegabytes();
    {
        ConsoleText text;
        ConsoleRows rows;
        rows.setColumns(text, 120);
        feed(text, rows, line.repeated(int(megabyte / line.size())), megabytes * megabyte);
        const double index = (residentMegabytes() - before) * megabyte - double(text.size());
        const QString name = QStringLiteral("store, %1 MB of %2").arg(megabytes).arg(what);
        report(name + QStringLiteral(": index per line"), index / double(text.lineCount()), QStringLiteral("bytes"));
        QElapsedTimer clock;
        clock.start();
        rows.setColumns(text, 100);
        report(name + QStringLiteral(": rows counted again for a new width"), clock.nsecsElapsed() / 1e6,
               QStringLiteral("ms"));
    }
}

void clearScreen(qint64 megabytes)
{
    const QString name = QStringLiteral("console, %1 MB then Clear Screen: resident").arg(megabytes);
    ZIvidView view;
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();
    const double before = residentMegabytes();
    report(name + QStringLiteral(" before"), before, QStringLiteral("MB"));
    const QByteArray text = textMegabyte();
    for (qint64 mb = 0; mb < megabytes; ++mb) {
        for (int at = 0; at < text.size(); at += 4096)
            view.displayData(QByteArray::fromRawData(text.constData() + at, 4096));
        QCoreApplication::processEvents();
    }
    report(name + QStringLiteral(" full"), residentMegabytes(), QStringLiteral("MB"));
    view.clear();
    QCoreApplication::processEvents();
    const double after = residentMegabytes();
    report(name + QStringLiteral(" after"), after, QStringLiteral("MB"));
    report(name + QStringLiteral(" kept over before"), after - before, QStringLiteral("MB"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray("delete");
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 0;
    if (what == "delete") {
        deleteAtTop(megabytes > 0 ? megabytes : 2048);
    } else if (what == "tab") {
        longLines(megabytes > 0 ? megabytes : 100);
    } else if (what == "lines") {
        indexPerLine(megabytes > 0 ? megabytes : 100, "0123456789\n", QStringLiteral("10-character lines"));
    } else if (what == "empty") {
        indexPerLine(megabytes > 0 ? megabytes : 100, "\n", QStringLiteral("empty lines"));
    } else if (what == "clear") {
        clearScreen(megabytes > 0 ? megabytes : 1024);
    } else {
        std::fprintf(stderr, "usage: bench_store delete|tab|lines|empty|clear [megabytes]\n");
        return 2;
    }
    return 0;
}
