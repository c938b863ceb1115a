#pragma once

#include <QByteArray>

// The framing XMODEM and YMODEM share: control bytes, the two block sizes,
// the checks, and a block put together ready for the line.
namespace XmodemBlock {

constexpr char SOH = 0x01; // a 128-byte block follows
constexpr char STX = 0x02; // a 1024-byte block follows
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char CAN = 0x18;
constexpr char CRC_START = 'C';
// What fills a last block beyond the file's end.
constexpr char PAD = 0x1A;

constexpr int smallSize = 128;
constexpr int largeSize = 1024;

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, sent high byte first.
quint16 crc16(const char *data, int size);
// The 8-bit sum of the bytes, for receivers that start with NAK.
quint8 checksum(const char *data, int size);

// A block numbered `number` (taken modulo 256) holding `data`, padded with
// `pad` to 128 bytes when it fits, else to 1024; checked by CRC or by sum.
QByteArray frame(int number, const QByteArray &data, bool crc, char pad = PAD);

// YMODEM's block 0 payload: the name, a NUL, the size in decimal. An empty
// name ends the batch (an all-zero block).
QByteArray ymodemHeader(const QByteArray &name, qint64 size);

} // namespace XmodemBlock
