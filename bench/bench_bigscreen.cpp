// The console holding 100,000 lines: how long a resize of the window and a
// scroll to the end take, each until the whole document is laid out again
// and the window painted. A resize also gets its first frame timed: the
// document lays out the rest in steps on a timer after it.
//
// bench_bigscreen [lines] [repeats]   (default 100000 5)

#include "benchsupport.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>

namespace {

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Lays out what is pending, including the document's lazy layout, and paints.
void settle(TarnTerm *window, ZIvidView *console)
{
    QCoreApplication::processEvents();
    console->document()->documentLayout()->documentSize();
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

    QVector<double> firstFrames, resizes, scrolls;
    QScrollBar *bar = console->verticalScrollBar();
    for (int i = 0; i < repeats; ++i) {
        clock.start();
        window->resize(i % 2 ? 900 : 1100, i % 2 ? 700 : 800);
        QCoreApplication::processEvents();
        window->repaint();
        firstFrames.append(clock.nsecsElapsed() / 1e6);
        settle(window, console);
        resizes.append(clock.nsecsElapsed() / 1e6);

        bar->setValue(0);
        settle(window, console);
        clock.start();
        bar->setValue(bar->maximum());
        settle(window, console);
        scrolls.append(clock.nsecsElapsed() / 1e6);
    }
    Bench::report(QStringLiteral("big screen, %1 lines: resize, first frame (median)").arg(lines),
                  median(firstFrames), QStringLiteral("ms"));
    Bench::report(QStringLiteral("big screen, %1 lines: resize, laid out (median)").arg(lines), median(resizes),
                  QStringLiteral("ms"));
    Bench::report(QStringLiteral("big screen, %1 lines: scroll to end (median)").arg(lines), median(scrolls),
                  QStringLiteral("ms"));
    return 0;
}
