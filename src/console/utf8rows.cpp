#include "utf8rows.h"

#include "utf8decoder.h"
#include "widecharacters.h"

#include <cstring>

namespace {

// Where the run of bytes under 0x80 from `at` ends, eight at a time.
qint64 asciiRunEnd(const char *bytes, qint64 at, qint64 length)
{
    constexpr quint64 highBits = 0x8080808080808080ull;
    while (at + 8 <= length) {
        quint64 word;
        std::memcpy(&word, bytes + at, sizeof word);
        if (word & highBits)
            break;
        at += 8;
    }
    while (at < length && uchar(bytes[at]) < 0x80)
        ++at;
    return at;
}

struct Character
{
    int length; // 0 for a sequence the line ends before
    int width;
};

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xc0) == 0x80;
}

// Two-byte characters and the three-byte ones that need no check of their
// second byte's range go without the whole decoder: most of what devices
// print beyond ASCII.
Character characterAt(const char *bytes, qint64 available, bool ends)
{
    const uchar lead = uchar(bytes[0]);
    if (lead >= 0xc2 && lead <= 0xdf && available >= 2 && isContinuation(bytes[1]))
        return {2, 1};
    if (lead >= 0xe1 && lead <= 0xef && lead != 0xed && available >= 3 && isContinuation(bytes[1])
        && isContinuation(bytes[2])) {
        const char32_t code = char32_t(lead & 0x0f) << 12 | char32_t(uchar(bytes[1]) & 0x3f) << 6
            | (uchar(bytes[2]) & 0x3f);
        return {3, WideCharacters::isWide(code) ? 2 : 1};
    }
    const Utf8Decoder::Decoded decoded = Utf8Decoder::decode(bytes, available);
    if (decoded.status == Utf8Decoder::Status::Truncated)
        return {ends ? 1 : 0, 1};
    if (decoded.status == Utf8Decoder::Status::Invalid)
        return {1, 1};
    return {decoded.length, WideCharacters::isWide(decoded.code) ? 2 : 1};
}

} // namespace

Utf8Rows::Layout Utf8Rows::layOut(const char *bytes, qint64 length, bool ends, int columns, qint64 wanted)
{
    // The row being filled, and the cell after its last character: equal to
    // `columns` when full, so that the next character starts a row.
    qint64 row = 0;
    qint64 column = 0;
    qint64 at = 0;
    while (at < length) {
        if (uchar(bytes[at]) < 0x80) {
            // The run's characters stand at cells column, column + 1, ...
            // counted on from this row's start, a row every `columns`.
            const qint64 runEnd = asciiRunEnd(bytes, at + 1, length);
            const qint64 last = column + (runEnd - at) - 1;
            const qint64 rowsAdded = last / columns;
            if (wanted > row && wanted <= row + rowsAdded)
                return {-1, at + (wanted - row) * columns - column};
            row += rowsAdded;
            column = last % columns + 1;
            at = runEnd;
            continue;
        }
        const Character character = characterAt(bytes + at, length - at, ends);
        if (character.length == 0)
            break;
        if (column >= columns || (character.width == 2 && column > 0 && column + 2 > columns)) {
            if (++row == wanted)
                return {-1, at};
            column = 0;
        }
        column += character.width;
        at += character.length;
    }
    return {row + 1, -1};
}
