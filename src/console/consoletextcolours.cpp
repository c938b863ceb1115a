// ConsoleText's part in device colours: the runs follow every change of the
// text, and a change to what they hide reaches the layouts as a change of
// the text.

#include "consoletext.h"

#include "colourruns.h"

#include <algorithm>

void ConsoleText::setDeviceColours(bool on)
{
    if (on == bool(m_colours))
        return;
    if (on) {
        m_colours = std::make_unique<ColourRuns>();
        m_colours->textChanged(*this, 0);
    } else {
        m_colours.reset();
    }
    tailChanged(0, 0);
    if (m_size > 0)
        m_rewrittenFrom = 0;
}

// A sequence completed or broken just before `from` changes the cells of
// bytes already laid out.
void ConsoleText::coloursChanged(qint64 from)
{
    const qint64 changed = m_colours->textChanged(*this, from);
    if (changed < from) {
        m_rewrittenFrom = std::min(m_rewrittenFrom, changed);
        const qint64 line = lineOf(changed);
        tailChanged(line, changed - lineStart(line));
    }
}

bool ConsoleText::overlapsHiddenSequence(qint64 from, qint64 to) const
{
    return m_colours && m_colours->overlaps(from, to);
}
