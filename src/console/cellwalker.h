#pragma once

#include "consoletext.h"
#include "stylecursor.h"
#include "utf8decoder.h"

#include <algorithm>
#include <utility>

// Walks the characters of the text that are drawn, in order, stepping over
// the colour sequences it hides and following the style they leave: what a
// row's layout, painting, hit testing and caret share. A piece of a chunk at
// a time, and inline, since layout and painting run it for every character.
//
// A character is a byte, its Latin-1 code; while the text is UTF-8, a
// valid sequence is one character, its code point, and a byte that starts
// none is one character, invalidByte with the byte. A sequence still
// waiting for its last bytes at the end of the text is not walked.
class CellWalker
{
public:
    static constexpr char32_t invalidByte = 0x80000000;

    CellWalker(const ConsoleText &text, qint64 from)
        : m_text(text)
        , m_colours(text.colours(), from)
        , m_position(from)
        , m_utf8(text.utf8())
    {
    }

    static bool isInvalidByte(char32_t code) { return code & invalidByte; }

    // The style of the next character drawn.
    const TextStyle &style() const { return m_colours.style(); }

    // Walks on up to `to`: onCell(position, code) takes each drawn
    // character starting before `to` and returns false to stop before it;
    // onStyle(style) follows each sequence stepped over. Returns where the
    // walk stopped: `to` (or past it, after a character that crosses it),
    // the character refused, or an unfinished one at the end.
    template<typename OnCell, typename OnStyle>
    qint64 walk(qint64 to, OnCell &&onCell, OnStyle &&onStyle)
    {
        while (m_position < to) {
            if (m_position == m_colours.nextHidden()) {
                m_position = m_colours.skip();
                onStyle(m_colours.style());
                continue;
            }
            qint64 available = 0;
            const char *bytes = m_text.piece(m_position, &available);
            const qint64 pieceEnd = m_position + available;
            const qint64 end = std::min({to, pieceEnd, m_colours.nextHidden()});
            if (!m_utf8) {
                for (; m_position < end; ++m_position, ++bytes) {
                    if (!onCell(m_position, char32_t(uchar(*bytes))))
                        return m_position;
                }
                continue;
            }
            while (m_position < end) {
                const uchar byte = uchar(*bytes);
                if (byte < 0x80) {
                    if (!onCell(m_position, char32_t(byte)))
                        return m_position;
                    ++m_position;
                    ++bytes;
                    continue;
                }
                // A sequence broken by a colour sequence or a line break
                // is invalid at its lead: neither holds continuation bytes.
                Utf8Decoder::Decoded decoded = Utf8Decoder::decode(bytes, pieceEnd - m_position);
                if (decoded.status == Utf8Decoder::Status::Truncated) {
                    decoded = m_text.characterAt(m_position);
                    if (decoded.status == Utf8Decoder::Status::Truncated)
                        return m_position;
                }
                const char32_t code = decoded.status == Utf8Decoder::Status::Valid ? decoded.code : invalidByte | byte;
                if (!onCell(m_position, code))
                    return m_position;
                m_position += decoded.length;
                bytes += decoded.length;
            }
        }
        return m_position;
    }

    template<typename OnCell>
    qint64 walk(qint64 to, OnCell &&onCell)
    {
        return walk(to, std::forward<OnCell>(onCell), [](const TextStyle &) {});
    }

private:
    const ConsoleText &m_text;
    StyleCursor m_colours;
    qint64 m_position;
    const bool m_utf8;
};
