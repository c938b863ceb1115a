#include "textpattern.h"

#include "consoletext.h"

#include <algorithm>
#include <cstring>

namespace {

// Latin-1's cases; or, for UTF-8, ASCII's alone, since folding its lead
// and continuation bytes as Latin-1 letters would match other characters.
struct FoldTable
{
    uchar lower[256];
    explicit FoldTable(bool latin1)
    {
        for (int c = 0; c < 256; ++c)
            lower[c] = uchar(c);
        for (int c = 'A'; c <= 'Z'; ++c)
            lower[c] = uchar(c + 0x20);
        // À to Þ, all but ×; ß, ÿ and µ have no upper case in Latin-1.
        for (int c = 0xc0; latin1 && c <= 0xde; ++c) {
            if (c != 0xd7)
                lower[c] = uchar(c + 0x20);
        }
    }
};
const FoldTable latin1Folding(true);
const FoldTable asciiFolding(false);

// How often a byte turns up in a device's text when nothing of the text is
// known: spaces, lower-case letters and digits most, control bytes least.
int typicalWeight(uchar c)
{
    static const char letters[] = "etaoinshrdlcumwfgypbvkjxqz";
    if (c == ' ')
        return 100;
    if (const char *at = std::strchr(letters, c); at && c)
        return 60 - 2 * int(at - letters);
    if (c >= '0' && c <= '9')
        return 40;
    if (c == '\n')
        return 20;
    if (std::strchr(".:=,-_/()[]", c) && c)
        return 15;
    if (c >= 'A' && c <= 'Z')
        return 10;
    return 1;
}

// The other case of a byte that has one, else the byte itself.
uchar otherCase(const uchar *lowerOf, uchar c)
{
    const uchar lower = lowerOf[c];
    if (lower != c)
        return lower;
    for (int upper = 0; upper < 256; ++upper) {
        if (upper != c && lowerOf[upper] == c)
            return uchar(upper);
    }
    return c;
}

} // namespace

uchar TextPattern::fold(uchar c)
{
    return latin1Folding.lower[c];
}

TextPattern::TextPattern(const QByteArray &bytes, Qt::CaseSensitivity cs, const QByteArray &sample, Folding folding)
    : m_bytes(bytes)
    , m_cs(cs)
    , m_lower(folding == Folding::Ascii ? asciiFolding.lower : latin1Folding.lower)
{
    if (cs == Qt::CaseInsensitive) {
        for (char &c : m_bytes)
            c = char(m_lower[uchar(c)]);
    }
    qint64 counts[256] = {};
    for (char c : sample)
        ++counts[uchar(c)];
    const auto rarity = [&](uchar c) {
        const uchar other = cs == Qt::CaseInsensitive ? otherCase(m_lower, c) : c;
        qint64 count = counts[c] + (other != c ? counts[other] : 0);
        qint64 weight = typicalWeight(c) + (other != c ? typicalWeight(other) : 0);
        // The sample decides; the typical weights break its ties.
        return std::pair(count, weight);
    };
    for (qint64 i = 0; i < m_bytes.size(); ++i) {
        if (rarity(uchar(m_bytes[int(i)])) < rarity(uchar(m_bytes[int(m_anchorOffset)])))
            m_anchorOffset = i;
    }
    if (!m_bytes.isEmpty()) {
        m_anchor = uchar(m_bytes[int(m_anchorOffset)]);
        m_otherAnchor = cs == Qt::CaseInsensitive ? otherCase(m_lower, m_anchor) : m_anchor;
    }
}

bool TextPattern::matchesAt(const ConsoleText &text, qint64 position) const
{
    if (position < 0 || isEmpty() || position + length() > text.size())
        return false;
    qint64 available = 0;
    const char *data = text.piece(position, &available);
    return matchesAt(text, position, data, available);
}

// `data` holds the text from `position` on, `available` bytes of it; the
// rest is read piece by piece.
bool TextPattern::matchesAt(const ConsoleText &text, qint64 position, const char *data, qint64 available) const
{
    const char *wanted = m_bytes.constData();
    qint64 left = length();
    while (true) {
        const qint64 count = std::min(left, available);
        if (m_cs == Qt::CaseSensitive) {
            if (std::memcmp(data, wanted, size_t(count)) != 0)
                return false;
        } else {
            for (qint64 i = 0; i < count; ++i) {
                if (m_lower[uchar(data[i])] != uchar(wanted[i]))
                    return false;
            }
        }
        left -= count;
        if (left == 0)
            return true;
        wanted += count;
        position += count;
        data = text.piece(position, &available);
    }
}

qint64 TextPattern::scan(const ConsoleText &text, qint64 from, qint64 to,
                         const std::function<bool(qint64)> &found) const
{
    to = std::min(to, text.size() - length() + 1);
    if (isEmpty() || from >= to)
        return std::max(from, to);
    from = std::max<qint64>(from, 0);
    const bool twoAnchors = m_otherAnchor != m_anchor;
    // Anchor bytes of the starts in [from, to).
    qint64 position = from + m_anchorOffset;
    const qint64 end = to + m_anchorOffset;
    while (position < end) {
        qint64 available = 0;
        const char *piece = text.piece(position, &available);
        const char *stop = piece + std::min(available, end - position);
        const char *next = static_cast<const char *>(std::memchr(piece, m_anchor, size_t(stop - piece)));
        const char *nextOther =
            twoAnchors ? static_cast<const char *>(std::memchr(piece, m_otherAnchor, size_t(stop - piece))) : nullptr;
        while (next || nextOther) {
            const bool first = next && (!nextOther || next < nextOther);
            const char *hit = first ? next : nextOther;
            const qint64 start = position + (hit - piece) - m_anchorOffset;
            const qint64 before = hit - piece;
            // Most matches lie inside the piece; the others are read across.
            const bool inside = m_anchorOffset <= before && start + length() <= position + available;
            const bool match = inside ? matchesAt(text, start, hit - m_anchorOffset, length())
                                      : matchesAt(text, start);
            if (match && !found(start))
                return start + 1;
            if (first)
                next = static_cast<const char *>(std::memchr(hit + 1, m_anchor, size_t(stop - hit - 1)));
            else
                nextOther = static_cast<const char *>(std::memchr(hit + 1, m_otherAnchor, size_t(stop - hit - 1)));
        }
        position += stop - piece;
    }
    return to;
}
