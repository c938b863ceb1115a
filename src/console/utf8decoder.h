#pragma once

#include <QtGlobal>

// UTF-8 as the console reads it: a valid sequence is one character; any
// byte that does not start one (a stray continuation, an overlong form, a
// surrogate, past U+10FFFF) is one invalid byte on its own, so a broken
// sequence never swallows the bytes after it.
namespace Utf8Decoder {

enum class Status
{
    Valid,
    Invalid,
    // A valid start that runs out before its end: more bytes may finish it.
    Truncated,
};

struct Decoded
{
    Status status;
    int length;     // bytes taken: 1 for an invalid byte
    char32_t code;  // the character, or the invalid byte
};

// The character starting at bytes[0], of `available` (> 0) bytes.
inline Decoded decode(const char *bytes, qint64 available)
{
    const uchar lead = uchar(bytes[0]);
    if (lead < 0x80)
        return {Status::Valid, 1, lead};
    int length = 0;
    char32_t code = 0;
    // The second byte's range excludes overlong forms, surrogates and
    // code points past U+10FFFF.
    uchar low = 0x80;
    uchar high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
        if (lead == 0xe0)
            low = 0xa0;
        else if (lead == 0xed)
            high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xf0)
            low = 0x90;
        else if (lead == 0xf4)
            high = 0x8f;
    } else {
        return {Status::Invalid, 1, lead};
    }
    for (int i = 1; i < length; ++i) {
        if (i >= available)
            return {Status::Truncated, int(available), 0};
        const uchar next = uchar(bytes[i]);
        if (next < low || next > high)
            return {Status::Invalid, 1, lead};
        low = 0x80;
        high = 0xbf;
        code = code << 6 | (next & 0x3f);
    }
    return {Status::Valid, length, code};
}

} // namespace Utf8Decoder

#include <QString>

namespace Utf8Decoder {

// The bytes as text, as the console draws them: an invalid byte, or an
// unfinished sequence at the end, becomes U+FFFD.
QString toString(const char *bytes, qint64 count);

} // namespace Utf8Decoder
