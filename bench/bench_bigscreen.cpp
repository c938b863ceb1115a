// The console holding 100,000 lines: how long a resize of the window and a
// scroll to the top and back to the end take, each until the window is
// painted. A resize also gets its first frame timed, for consoles that lay
// out the rest in steps after it.
//
// bench_bigscreen [lines] [repeats]   (default 100000 5)

#include "benchsupport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>

namespace {

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Handles what is pending and paints.
void settle(TarnTerm *window, ZIvidView *)
{
    QCoreApplication::processEvents();
    window->repaint();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int repeats = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    Bench::Session session(false);
    TarnTerm *window = session.window.get();
    ZIvidView *console = Bench::console(window);
    window->resize(900, 700);

    QElapsedTimer clock;
    clock.start();
    QByteArray batch;
    for (int line = 0; line < lines; ++line) {
        QByteArray row = QByteArray::number(line).rightJustified(8, '0') + ' ';
        while (row.size() < 78)
            row += char('a' + (row.size() + line) % 26);
        batch += row + "\r\n";
        if (batch.size() >= 4096 || line == lines - 1) {
            console->displayData(batch);
            batch.clear();
        }
    }
    settle(window, console);
    Bench::report(QStringLiteral("big screen: fill %1 lines").arg(lines), clock.elapsed(), QStringLiteral("ms"));

    Bench::report(QStringLiteral("big screen, %1 lines: memory").arg(lines), Bench::residentMegabytes(),
                  QStringLiteral("MB resident"));

    QVector<double> firstFrames, resizes, scrolls, tops;
    QScrollBar *bar = console->verticalScrollBar();
    for (int i = 0; i < repeats; ++i) {
        clock.start();
        window->resize(i % 2 ? 900 : 1100, i % 2 ? 700 : 800);
        QCoreApplication::processEvents();
        window->repaint();
        firstFrames.append(clock.nsecsElapsed() / 1e6);
        settle(window, console);
        resizes.append(clock.nsecsElapsed() / 1e6);

        clock.start();
        bar->setValue(0);
        settle(window, console);
        tops.append(clock.nsecsElapsed() / 1e6);
        clock.start();
        bar->setValue(bar->maximum());
        settle(window, console);
        scrolls.append(clock.nsecsElapsed() / 1e6);
    }
    Bench::report(QStringLiteral("big screen, %1 lines: resize, first frame (median)").arg(lines),
                  median(firstFrames), QStringLiteral("ms"));
    Bench::report(QStringLiteral("big screen, %1 lines: resize, laid out (median)").arg(lines), median(resizes),
                  QStringLiteral("ms"));
    Bench::report(QStringLiteral("big screen, %1 lines: scroll to top (median)").arg(lines), median(tops),
                  QStringLiteral("ms"));
    Bench::report(QStringLiteral("big screen, %1 lines: scroll to end (median)").arg(lines), median(scrolls),
                  QStringLiteral("ms"));
    return 0;
}
