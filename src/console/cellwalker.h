#pragma once

#include "consoletext.h"
#include "stylecursor.h"

#include <algorithm>
#include <utility>

// Walks the characters of the text that are drawn, in order, stepping over
// the colour sequences it hides and following the style they leave: what a
// row's layout, painting, hit testing and caret share. A piece of a chunk at
// a time, and inline, since layout and painting run it for every character.
class CellWalker
{
public:
    CellWalker(const ConsoleText &text, qint64 from)
        : m_text(text)
        , m_colours(text.colours(), from)
        , m_position(from)
    {
    }

    // The style of the next character drawn.
    const TextStyle &style() const { return m_colours.style(); }

    // Walks on up to `to`: onCell(position, c) takes each drawn character
    // and returns false to stop before it; onStyle(style) follows each
    // sequence stepped over. Returns where the walk stopped: `to`, or the
    // character refused.
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
            const qint64 end = std::min({to, m_position + available, m_colours.nextHidden()});
            for (; m_position < end; ++m_position, ++bytes) {
                if (!onCell(m_position, *bytes))
                    return m_position;
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
};
