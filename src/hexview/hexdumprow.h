#pragma once

#include <QString>

constexpr int hexDumpBytesPerRow = 16;
// Characters in a full row with an 8-digit address: address, gap, hex column
// with its middle gap, gap, character column.
constexpr int hexDumpRowLength = 8 + 2 + 3 * hexDumpBytesPerRow + 2 + hexDumpBytesPerRow;

// The address digits a dump whose last row starts at lastAddress shows:
// eight up to 4 GiB, more past it.
int hexDumpAddressDigits(qint64 lastAddress);

// One line of the hex dump for up to hexDumpBytesPerRow bytes at address:
// the address in hex, zero-padded to addressDigits (more digits where it
// needs them), the bytes in hex with an extra gap after the eighth, then the
// bytes as characters with anything but printable ASCII shown as '.'. A short
// row keeps the character column where a full row has it.
QString hexDumpRow(qint64 address, const char *bytes, int count, int addressDigits = 8);
