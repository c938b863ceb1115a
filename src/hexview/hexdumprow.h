#pragma once

#include <QString>

constexpr int hexDumpBytesPerRow = 16;
// Characters in a full row: address, gap, hex column with its middle gap,
// gap, character column.
constexpr int hexDumpRowLength = 8 + 2 + 3 * hexDumpBytesPerRow + 2 + hexDumpBytesPerRow;

// One line of the hex dump for up to hexDumpBytesPerRow bytes at address:
// eight hex digits of address, the bytes in hex with an extra gap after the
// eighth, then the bytes as characters with anything but printable ASCII
// shown as '.'. A short row keeps the character column where a full row has it.
QString hexDumpRow(quint32 address, const char *bytes, int count);
