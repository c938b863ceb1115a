// What device colours cost the console: 80-column lines taken in 4 KiB
// batches, laid out and one screen painted, offscreen. Meant to be counted
// in instructions (wall-clock time here varies by a third):
//
//   bench/callgrind_colours.sh [build dir]
//
// which runs, under callgrind, with only appendAll() and paintScreen()
// collected:
//
// bench_colours plain-off|plain-on|coloured-on|lineediting-on [megabytes]   (default 4)
//   plain-off       plain text, device colours off (the console as it was)
//   plain-on        the same text with device colours on
//   coloured-on     every line opens with a colour sequence, colours on
//   lineediting-on  plain text, colours off, line editing on
//
// Run alone it prints the wall-clock times, for a rough look.

#include "benchmeasure.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace {

// Lines of 78 characters and CR LF; with colour, the first five are a
// sequence choosing one of six colours, a new one every line.
QByteArray textOf(qint64 size, bool coloured)
{
    QByteArray text;
    text.reserve(int(size));
    for (int line = 0; text.size() < size; ++line) {
        QByteArray row = coloured ? "\x1b[3" + QByteArray::number(1 + line % 6) + 'm' : QByteArray();
        row += QByteArray::number(line).rightJustified(8, '0') + ' ';
        while (row.size() < 78)
            row += char('a' + row.size() % 26);
        text += row + "\r\n";
    }
    text.truncate(int(size));
    return text;
}

Q_NEVER_INLINE void appendAll(ZIvidView &view, const QByteArray &text)
{
    constexpr int batch = 4096;
    for (int at = 0; at < text.size(); at += batch)
        view.displayData(QByteArray::fromRawData(text.constData() + at, std::min(batch, int(text.size()) - at)));
}

Q_NEVER_INLINE void paintScreen(ZIvidView &view)
{
    view.viewport()->repaint();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("plain-off");
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 4;
    const bool lineEditing = mode == QLatin1String("lineediting-on");
    if (mode != QLatin1String("plain-off") && mode != QLatin1String("plain-on")
        && mode != QLatin1String("coloured-on") && !lineEditing) {
        qWarning("usage: bench_colours plain-off|plain-on|coloured-on|lineediting-on [megabytes]");
        return 2;
    }
    const QByteArray text = textOf(megabytes << 20, mode.startsWith(QLatin1String("coloured")));
    ZIvidView view;
    view.resize(900, 700);
    view.setDeviceColours(mode.endsWith(QLatin1String("-on")) && !lineEditing);
    view.setLineEditing(lineEditing);
    view.show();
    QCoreApplication::processEvents();
    view.viewport()->repaint();

    QElapsedTimer clock;
    clock.start();
    appendAll(view, text);
    const double appendMs = clock.nsecsElapsed() / 1e6;
    clock.start();
    paintScreen(view);
    const double paintMs = clock.nsecsElapsed() / 1e6;
    Bench::report(QStringLiteral("colours %1, %2 MB: append and lay out").arg(mode).arg(megabytes), appendMs,
                  QStringLiteral("ms"));
    Bench::report(QStringLiteral("colours %1: paint a screen").arg(mode), paintMs, QStringLiteral("ms"));
    return 0;
}
