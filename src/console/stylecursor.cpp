#include "stylecursor.h"

#include "colourruns.h"

#include <limits>

namespace {

constexpr qint64 nowhere = std::numeric_limits<qint64>::max();

} // namespace

StyleCursor::StyleCursor(const ColourRuns *runs, qint64 position)
    : m_runs(runs)
    , m_nextHidden(nowhere)
{
    if (!m_runs)
        return;
    m_index = m_runs->firstEndingAfter(position);
    if (m_index > 0)
        m_style = m_runs->styleAfter(m_index - 1);
    find(position);
}

void StyleCursor::find(qint64 position)
{
    m_nextHidden = m_index < m_runs->count() ? std::max(m_runs->start(m_index), position) : nowhere;
}

qint64 StyleCursor::skip()
{
    const qint64 end = m_runs->end(m_index);
    m_style = m_runs->styleAfter(m_index);
    ++m_index;
    find(end);
    return end;
}
