// One tick of the connection watch with this machine's own device source:
// enumerating the port classes and filtering them for known devices.
//
// bench_discovery [runs]   (default 200)

#include "benchsupport.h"
#include "devicesource.h"
#include "discovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;
    const std::unique_ptr<DeviceSource> source = DeviceSource::createPlatformSource();

    QVector<double> times;
    int found = 0;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        found = Discovery::findDevicePorts(*source).size();
        times.append(clock.nsecsElapsed() / 1e3);
    }
    std::sort(times.begin(), times.end());
    Bench::report(QStringLiteral("discovery tick: median of %1").arg(runs), times.at(times.size() / 2),
                  QStringLiteral("us"));
    Bench::report(QStringLiteral("discovery tick: slowest of %1").arg(runs), times.last(), QStringLiteral("us"));
    Bench::report(QStringLiteral("discovery tick: devices found"), found, QStringLiteral("ports"));
    return 0;
}
