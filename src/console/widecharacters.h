#pragma once

#include <QtGlobal>

// Which characters a terminal draws two cells wide: East Asian wide and
// fullwidth ones, emoji presented as pictures among them.
namespace WideCharacters {

// The Basic Multilingual Plane, a bit a character: what nearly all text asks.
extern const quint64 planeBits[1024];
bool isWideAbovePlane(char32_t code);

// Nothing below U+1100 is wide: the common case costs one compare.
inline bool isWide(char32_t code)
{
    if (code < 0x1100)
        return false;
    return code < 0x10000 ? (planeBits[code >> 6] >> (code & 63)) & 1 : isWideAbovePlane(code);
}

} // namespace WideCharacters
