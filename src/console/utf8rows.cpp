#include "utf8rows.h"

#include "utf8decoder.h"
#include "widecharacters.h"

#include <QtAlgorithms>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr quint64 ones = 0x0101010101010101ull;
constexpr quint64 highBits = 0x8080808080808080ull;

// Where the run of bytes under 0x80 from `at` ends, eight at a time.
qint64 asciiRunEnd(const char *bytes, qint64 at, qint64 length)
{
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

// Sixteen bytes as a bit each: bit i for byte i.
struct BlockBits
{
    quint32 high;     // 1xxxxxxx
    quint32 bit6;     // x1xxxxxx
    quint32 bit5;     // xx1xxxxx
    quint32 uncommon; // C0, C1, E0, ED, F0 and up
};

#if defined(__SSE2__)
BlockBits blockBits(const char *bytes)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    // Shifting the 16-bit lanes moves each byte's lower bits into its sign bit.
    const auto signs = [](__m128i v) { return quint32(_mm_movemask_epi8(v)); };
    const auto equal = [&](char byte) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(byte)); };
    const __m128i overlong = _mm_cmpeq_epi8(_mm_and_si128(block, _mm_set1_epi8(char(0xfe))), _mm_set1_epi8(char(0xc0)));
    const __m128i fourOrMore = _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(char(0xf0))), block);
    return {signs(block), signs(_mm_slli_epi16(block, 1)), signs(_mm_slli_epi16(block, 2)),
            signs(_mm_or_si128(_mm_or_si128(overlong, fourOrMore), _mm_or_si128(equal(char(0xe0)), equal(char(0xed)))))};
}
#else
// Eight bytes a word: bit 7 of each byte that is zero, and no other.
quint64 zeroBytes(quint64 word)
{
    return ~(((word & ~highBits) + ~highBits) | word | ~highBits);
}

// Bit 7 of each byte gathered into the low eight bits.
quint32 gathered(quint64 marks)
{
    return quint32((((marks & highBits) >> 7) * 0x0102040810204080ull) >> 56);
}

BlockBits blockBits(const char *bytes)
{
    BlockBits bits {0, 0, 0, 0};
    for (int half = 1; half >= 0; --half) {
        const quint64 word = qFromLittleEndian<quint64>(bytes + 8 * half);
        const quint64 lead4 = word & (word << 1) & (word << 2) & (word << 3);
        const quint64 uncommon = lead4 | zeroBytes((word & ~ones) ^ (ones * 0xc0))
            | zeroBytes(word ^ (ones * 0xe0)) | zeroBytes(word ^ (ones * 0xed));
        bits.high = bits.high << 8 | gathered(word);
        bits.bit6 = bits.bit6 << 8 | gathered(word << 1);
        bits.bit5 = bits.bit5 << 8 | gathered(word << 2);
        bits.uncommon = bits.uncommon << 8 | gathered(uncommon);
    }
    return bits;
}
#endif

// Set bits of a block's mask, without the library call a popcount
// compiled for the baseline x86-64 makes.
int bitsSet(quint32 bits)
{
    bits -= (bits >> 1) & 0x5555;
    bits = (bits & 0x3333) + ((bits >> 2) & 0x3333);
    bits = (bits + (bits >> 4)) & 0x0f0f;
    return int((bits + (bits >> 8)) & 0x1f);
}

// A line is plain when it is all valid UTF-8 of the common forms: no lead
// that needs its second byte's range checked (C0, C1, E0, ED, F0 and up)
// and no sequence cut short. It is read sixteen bytes at a time: each lead
// marks the continuation bytes it needs, and these must be exactly the
// continuation bytes there are. Of its characters only three-byte ones can
// be wide, looked up by their bytes.
struct Plain
{
    qint64 characters;
    qint64 wide;
};

std::optional<Plain> readPlain(const char *bytes, qint64 length)
{
    quint32 carried = 0;
    qint64 continuations = 0;
    qint64 wide = 0;
    for (qint64 at = 0; at < length; at += 16) {
        // The last few bytes go with zeros after them, which no lead takes.
        char last[16] = {};
        if (at + 16 > length)
            std::memcpy(last, bytes + at, size_t(length - at));
        const BlockBits bits = blockBits(at + 16 <= length ? bytes + at : last);
        if (!bits.high && !carried)
            continue;
        const quint32 continuation = bits.high & ~bits.bit6;
        const quint32 lead = bits.high & bits.bit6;
        const quint32 lead3 = lead & bits.bit5;
        const quint32 needed = ((lead << 1) | (lead3 << 2) | carried) & 0xffff;
        if (needed != continuation || bits.uncommon)
            return std::nullopt;
        carried = (lead >> 15) | (lead3 >> 14);
        continuations += bitsSet(continuation);
        for (quint32 starts = lead3; starts; starts &= starts - 1) {
            const qint64 first = at + qCountTrailingZeroBits(starts);
            // One cut short is caught with the next block, or by the carry.
            if (first + 2 >= length)
                break;
            // A block of 64 characters a word of the table, picked by the
            // low bits of the lead and of the second byte.
            const quint64 block = WideCharacters::planeBits[(uchar(bytes[first]) & 0x0f) << 6
                                                            | (uchar(bytes[first + 1]) & 0x3f)];
            wide += (block >> (uchar(bytes[first + 2]) & 0x3f)) & 1;
        }
    }
    if (carried)
        return std::nullopt;
    return Plain {length - continuations, wide};
}

// Where the character numbered `wanted` starts.
qint64 characterStart(const char *bytes, qint64 wanted)
{
    qint64 at = 0;
    for (qint64 seen = 0;; ++at) {
        if (!isContinuation(bytes[at]) && seen++ == wanted)
            return at;
    }
}

} // namespace

Utf8Rows::Layout Utf8Rows::layOut(const char *bytes, qint64 length, bool ends, int columns, qint64 wanted)
{
    // Valid text with no wide character, or too short to wrap, needs no
    // walk: all but the longest lines of a log.
    if (const std::optional<Plain> plain = readPlain(bytes, length)) {
        if (plain->characters + plain->wide <= columns)
            return {1, -1};
        if (plain->wide == 0) {
            const qint64 rows = (plain->characters + columns - 1) / columns;
            if (wanted >= 1 && wanted < rows)
                return {-1, characterStart(bytes, wanted * columns)};
            return {rows, -1};
        }
    }
    // The row being filled, and the cell after its last character: equal to
    // `columns` when full, so that the next character starts a row.
    qint64 row = 0;
    qint64 column = 0;
    qint64 at = 0;
    while (at < length) {
        if (uchar(bytes[at]) < 0x80) {
            // The run's characters stand at cells column, column + 1, ...
            // counted on from this row's start, a row every `columns`. A
            // wide character leaves a row one column wide at two.
            const qint64 runEnd = asciiRunEnd(bytes, at + 1, length);
            const qint64 filled = std::min<qint64>(column, columns);
            const qint64 last = filled + (runEnd - at) - 1;
            const qint64 rowsAdded = last / columns;
            if (wanted > row && wanted <= row + rowsAdded)
                return {-1, at + (wanted - row) * columns - filled};
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
