#include "benchmeasure.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>

namespace Bench {

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void report(const QString &name, double value, const QString &unit)
{
    std::printf("%s\t%.3f\t%s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

} // namespace Bench
