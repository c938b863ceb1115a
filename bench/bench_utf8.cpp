// What reading the bytes as UTF-8 costs the console, offscreen.
//
// bench_utf8 ascii-off|ascii-on|multibyte-on [megabytes]   (default 4)
//   80-column lines taken in 4 KiB batches, laid out and a screen painted:
//   ASCII with the option off (the console as it was) and on, and lines of
//   as many characters, every one of them of two or three bytes, with it on.
//   Meant to be counted in instructions, by bench/callgrind_utf8.sh, which
//   collects only appendAll() and paintScreen().
//
// bench_utf8 resize-off|resize-on [lines]   (default 1000000)
//   The time of a resize, the median of five, narrow enough that every line
//   wraps and back, with that many log lines held of which every fourth
//   carries a degree sign or box drawing.

#include "benchmeasure.h"
#include "zividview.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// 78 characters and CR LF a line; all ASCII, or none of it: é, ─, °, λ, €.
QByteArray linesOf(qint64 lines, bool multibyte)
{
    static const QByteArray several[] = {"\xc3\xa9", "\xe2\x94\x80", "\xc2\xb0", "\xce\xbb", "\xe2\x82\xac"};
    QByteArray text;
    for (qint64 line = 0; line < lines; ++line) {
        for (int c = 0; c < 78; ++c)
            text += multibyte ? several[(c + line) % 5] : QByteArray(1, char('a' + (c + line) % 26));
        text += "\r\n";
    }
    return text;
}

// A device's log: a counter, a reading, now and then in degrees or behind
// box drawing, about 70 bytes a line.
QByteArray logOf(qint64 lines)
{
    QByteArray text;
    text.reserve(int(lines * 72));
    for (qint64 line = 0; line < lines; ++line) {
        text += QByteArray::number(line).rightJustified(8, '0');
        switch (line % 8) {
        case 2: text += " sensor 3 reads 25.4\xc2\xb0" "C, inside the limits set for it"; break;
        case 6: text += " \xe2\x94\x9c\xe2\x94\x80 task idle, stack 1024 bytes free of 4096 bytes"; break;
        default: text += " tick: all tasks ran on time, queue depth 0 of 16"; break;
        }
        text += "\r\n";
    }
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

double medianOfFive(const std::function<void(int)> &call)
{
    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < 5; ++i) {
        clock.start();
        call(i);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("ascii-off");
    const QStringList modes {"ascii-off", "ascii-on", "multibyte-on", "resize-off", "resize-on"};
    if (!modes.contains(mode)) {
        qWarning("usage: bench_utf8 ascii-off|ascii-on|multibyte-on [megabytes] | resize-off|resize-on [lines]");
        return 2;
    }
    ZIvidView view;
    view.resize(900, 700);
    view.setUtf8(mode.endsWith(QLatin1String("-on")));
    view.show();
    QCoreApplication::processEvents();

    if (mode.startsWith(QLatin1String("resize"))) {
        const qint64 lines = argc > 2 ? QByteArray(argv[2]).toLongLong() : 1000000;
        appendAll(view, logOf(lines));
        const double ms = medianOfFive([&](int i) { view.resize(i % 2 ? 900 : 400, 700); });
        Bench::report(QStringLiteral("utf-8 %1, %2 lines of a log: resize").arg(mode).arg(lines), ms,
                      QStringLiteral("ms"));
        return 0;
    }
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 4;
    // As many lines and characters of either kind, the multi-byte text some
    // 2.4 times as long in bytes.
    const QByteArray text = linesOf((megabytes << 20) / 80, mode == QLatin1String("multibyte-on"));
    QElapsedTimer clock;
    clock.start();
    appendAll(view, text);
    const double appendMs = clock.nsecsElapsed() / 1e6;
    clock.start();
    paintScreen(view);
    Bench::report(QStringLiteral("utf-8 %1, %2 MB of ASCII's lines: append and lay out").arg(mode).arg(megabytes),
                  appendMs, QStringLiteral("ms"));
    Bench::report(QStringLiteral("utf-8 %1: paint a screen").arg(mode), clock.nsecsElapsed() / 1e6,
                  QStringLiteral("ms"));
    return 0;
}
