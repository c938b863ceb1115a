#pragma once

#include "textstyle.h"

#include <QtGlobal>

class ColourRuns;

// Walks the text from a position on, in order, telling where the next
// hidden colour sequence starts and the style the text is in: what a row's
// layout, painting and hit testing need, at O(1) a step. Without runs
// nothing is hidden and the style stays plain.
class StyleCursor
{
public:
    StyleCursor(const ColourRuns *runs, qint64 position);

    // Where the next sequence starts (the position itself when it lies
    // inside one); beyond any text when there is none.
    qint64 nextHidden() const { return m_nextHidden; }
    // Steps over that sequence, taking its style; returns where it ends.
    qint64 skip();
    const TextStyle &style() const { return m_style; }

private:
    void find(qint64 position);

    const ColourRuns *m_runs;
    qint64 m_index = 0;
    qint64 m_nextHidden;
    TextStyle m_style;
};
