#include "linetimelabel.h"

#include <QDateTime>

#include <cstdlib>

namespace {

constexpr qint64 msecsPerDay = qint64(24) * 60 * 60 * 1000;

// Seconds up to a day, then days and the time; past 99 days only the days,
// to stay within lineTimeLabelWidth.
QString gapLabel(qint64 gap)
{
    const QChar sign = gap < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const qint64 magnitude = std::llabs(gap);
    if (magnitude < msecsPerDay)
        return sign + QString::asprintf("%lld.%03lld", magnitude / 1000, magnitude % 1000);
    const qint64 days = magnitude / msecsPerDay;
    if (days > 99)
        return sign + QStringLiteral("%1d").arg(days);
    return sign + QStringLiteral("%1d").arg(days)
        + QTime::fromMSecsSinceStartOfDay(int(magnitude % msecsPerDay)).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace

QString lineTimeLabel(TimestampMode mode, std::optional<qint64> msecs, std::optional<qint64> previousMsecs)
{
    if (mode == TimestampMode::Off || !msecs)
        return {};
    if (mode == TimestampMode::SincePrevious && previousMsecs)
        return gapLabel(*msecs - *previousMsecs);
    return QDateTime::fromMSecsSinceEpoch(*msecs).toString(QStringLiteral("hh:mm:ss.zzz"));
}
