#include "colourruns.h"

#include "consoletext.h"
#include "sgrparser.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char escape = '\x1b';
// How far before a change a sequence the change completes or breaks can start.
constexpr qint64 reach = SgrParser::maxLength - 1;

} // namespace

quint64 ColourRuns::pack(const TextStyle &style, int length)
{
    static_assert(57 + TextStyle::attributeBits <= 64 && sizeof(Sequence) == 16,
                  "a sequence's entry is its start and 64 bits for its length and style");
    return quint64(length) | quint64(style.foreground) << 6 | quint64(style.background) << 31
        | quint64(style.bold) << 56 | quint64(style.attributes) << 57;
}

TextStyle ColourRuns::unpack(quint64 packed)
{
    constexpr quint64 colourMask = (quint64(1) << 25) - 1;
    TextStyle style;
    style.foreground = quint32(packed >> 6 & colourMask);
    style.background = quint32(packed >> 31 & colourMask);
    style.bold = packed >> 56 & 1;
    style.attributes = quint8(packed >> 57);
    return style;
}

// Up to maxLength bytes from the position, across chunks.
int ColourRuns::read(const ConsoleText &text, qint64 position, char *bytes)
{
    int count = 0;
    while (count < SgrParser::maxLength && position < text.size()) {
        qint64 available = 0;
        const char *in = text.piece(position, &available);
        const int length = int(std::min<qint64>(available, SgrParser::maxLength - count));
        std::memcpy(bytes + count, in, size_t(length));
        count += length;
        position += length;
    }
    return count;
}

void ColourRuns::scan(const ConsoleText &text, qint64 from, qint64 until, TextStyle style,
                      std::deque<Sequence> *found)
{
    char bytes[SgrParser::maxLength];
    qint64 position = from;
    while (position < until) {
        qint64 available = 0;
        const char *in = text.piece(position, &available);
        available = std::min(available, until - position);
        const void *hit = std::memchr(in, escape, size_t(available));
        if (!hit) {
            position += available;
            continue;
        }
        position += static_cast<const char *>(hit) - in;
        const int count = read(text, position, bytes);
        const int length = SgrParser::sequenceLength(bytes, count);
        if (length == 0) {
            ++position;
            continue;
        }
        style = SgrParser::apply(style, bytes, length);
        found->push_back({position, pack(style, length)});
        position += length;
    }
}

TextStyle ColourRuns::styleBefore(qint64 index) const
{
    return index > 0 ? styleAfter(index - 1) : TextStyle();
}

qint64 ColourRuns::firstEndingAfter(qint64 position) const
{
    const qint64 n = count();
    for (qint64 i = std::min(m_hint, n); i <= n && i <= m_hint + 2; ++i) {
        if ((i == 0 || end(i - 1) <= position) && (i == n || end(i) > position))
            return m_hint = i;
    }
    const auto it = std::upper_bound(m_sequences.begin(), m_sequences.end(), position,
                                     [](qint64 p, const Sequence &s) { return p < s.start + lengthOf(s); });
    return m_hint = qint64(it - m_sequences.begin());
}

TextStyle ColourRuns::styleAt(qint64 position) const
{
    // Sequences end in order: the last one ending at or before the position.
    return styleBefore(firstEndingAfter(position));
}

bool ColourRuns::overlaps(qint64 from, qint64 to) const
{
    const qint64 index = firstEndingAfter(from);
    return from < to && index < count() && start(index) < to;
}

qint64 ColourRuns::hiddenIn(qint64 from, qint64 to) const
{
    // Plain text, and text after the last sequence, in O(1).
    if (m_sequences.empty() || from >= end(count() - 1))
        return 0;
    qint64 hidden = 0;
    for (qint64 i = firstEndingAfter(from); i < count() && start(i) < to; ++i)
        hidden += std::min(end(i), to) - std::max(start(i), from);
    return hidden;
}

qint64 ColourRuns::textChanged(const ConsoleText &text, qint64 from)
{
    qint64 changed = from;
    while (!m_sequences.empty() && end(count() - 1) > from) {
        changed = std::min(changed, m_sequences.back().start);
        m_sequences.pop_back();
    }
    // An escape shortly before the change may start a sequence only now
    // complete; the bytes held by the last sequence hold no other.
    const qint64 kept = m_sequences.empty() ? 0 : end(count() - 1);
    const qint64 first = std::max({qint64(0), from - reach, kept});
    const size_t before = m_sequences.size();
    scan(text, first, text.size(), styleBefore(count()), &m_sequences);
    if (m_sequences.size() > before)
        changed = std::min(changed, m_sequences[before].start);
    return changed;
}

// The sequences after the range keep their bytes and only move; those that
// held a removed byte go, and an escape just before `from` may now start
// one. The styles after are taken again until one comes out as it was.
void ColourRuns::removed(const ConsoleText &text, qint64 from, qint64 to)
{
    const qint64 gone = to - from;
    const qint64 first = firstEndingAfter(from);
    auto kept = std::lower_bound(m_sequences.begin() + first, m_sequences.end(), to,
                                 [](const Sequence &s, qint64 p) { return s.start < p; });
    auto moved = m_sequences.erase(m_sequences.begin() + first, kept);
    for (auto it = moved; it != m_sequences.end(); ++it)
        it->start -= gone;

    const qint64 scanFrom = std::max({qint64(0), from - reach, first > 0 ? end(first - 1) : 0});
    std::deque<Sequence> found;
    scan(text, scanFrom, from, styleBefore(first), &found);
    m_sequences.insert(m_sequences.begin() + first, found.begin(), found.end());

    char bytes[SgrParser::maxLength];
    TextStyle style = styleBefore(first + qint64(found.size()));
    for (auto it = m_sequences.begin() + first + qint64(found.size()); it != m_sequences.end(); ++it) {
        const int length = lengthOf(*it);
        read(text, it->start, bytes);
        style = SgrParser::apply(style, bytes, length);
        const quint64 packed = pack(style, length);
        if (packed == it->packed)
            break;
        it->packed = packed;
    }
}
