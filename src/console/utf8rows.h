#pragma once

#include <QtGlobal>

// How a line of UTF-8 with no tab and nothing hidden wraps, read straight
// from its bytes by the rules ConsoleRows lays out with: a character takes a
// cell, a wide one two and goes whole to the next row when it would cross the
// row's end, a byte that is no UTF-8 takes a cell, and a sequence unfinished
// at the end none. A run of ASCII costs a scan and some arithmetic, so a
// line of a log with a degree sign in it costs little more than without.
namespace Utf8Rows {

struct Layout
{
    qint64 rows;
    // Where row `wanted` starts, as an offset in the line; -1 when the line
    // has no such row.
    qint64 wantedStart;
};

// A line that `ends` before a line break takes its last bytes as invalid
// ones if they start a sequence they do not finish.
Layout layOut(const char *bytes, qint64 length, bool ends, int columns, qint64 wanted = -1);

} // namespace Utf8Rows
