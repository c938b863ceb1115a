#pragma once

#include <QString>

#include <optional>

// What the console's gutter shows for each line; the numbers are what the
// "timestamps" setting stores.
enum class TimestampMode
{
    Off = 0,
    Clock = 1,
    SincePrevious = 2,
};

// The widest label, in characters.
constexpr int lineTimeLabelWidth = 12;

// A line's time as "hh:mm:ss.zzz" in local time, or, since the previous
// line, as "+0.125" (seconds); a gap of a day or more as "+1d02:03:04".
// A line without a previous one shows its clock time, which anchors the
// gaps after it. Empty for a line without a time.
QString lineTimeLabel(TimestampMode mode, std::optional<qint64> msecs, std::optional<qint64> previousMsecs);
