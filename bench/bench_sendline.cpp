// A line typed in the send line goes out through the paced sender, one byte
// per write with the write delay (5 ms) after each; this measures the pace
// at which the bytes arrive at the device, and what it costs the processor.
//
// bench_sendline [characters]   (default 64, plus CR LF)

#include "benchsupport.h"
#include "sendlinebar.h"
#include "tarnterm.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bench::init();
    const int characters = argc > 1 ? QByteArray(argv[1]).toInt() : 64;
    const int bytes = characters + 2;

    Bench::Session session;
    if (session.window->writeDelay() != 5)
        qFatal("expected the default write delay of 5 ms");
    session.window->findChild<QAction *>(QStringLiteral("actionSend_Line"))->setChecked(true);
    auto *bar = session.window->findChild<SendLineBar *>();
    bar->setEnding(SendLineText::Ending::CRLF);
    bar->lineEdit()->setText(QString(characters, QLatin1Char('s')));

    QElapsedTimer wall;
    std::vector<qint64> arrivals; // nanoseconds since Enter, one per byte
    QObject::connect(&session.device, &SimulatedDevice::bytesReceived, [&](const QByteArray &received) {
        arrivals.insert(arrivals.end(), size_t(received.size()), wall.nsecsElapsed());
    });
    const double cpuBefore = Bench::cpuSeconds();
    wall.start();
    bar->sendLine();
    Bench::runUntil([&] { return session.device.received.size() >= bytes; });
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = Bench::cpuSeconds() - cpuBefore;

    std::vector<qint64> gaps;
    for (size_t i = 1; i < arrivals.size(); ++i)
        gaps.push_back(arrivals[i] - arrivals[i - 1]);
    std::sort(gaps.begin(), gaps.end());
    const QString name = QStringLiteral("send line of %1 bytes at 5 ms").arg(bytes);
    Bench::report(name + QStringLiteral(": first byte at the device"), arrivals.front() / 1e6, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": last byte at the device"), seconds * 1000, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": median gap between bytes"), gaps[gaps.size() / 2] / 1e6,
                  QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": longest gap between bytes"), gaps.back() / 1e6, QStringLiteral("ms"));
    Bench::report(name + QStringLiteral(": CPU"), cpu * 1000, QStringLiteral("ms"));
    return 0;
}
