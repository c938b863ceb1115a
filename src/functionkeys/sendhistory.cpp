#include "sendhistory.h"

void SendHistory::setLines(const QStringList &lines)
{
    m_lines = lines.mid(qMax(0, lines.size() - maxLines));
    m_position = m_lines.size();
}

void SendHistory::add(const QString &line)
{
    if (m_lines.isEmpty() || m_lines.last() != line)
        m_lines.append(line);
    while (m_lines.size() > maxLines)
        m_lines.removeFirst();
    m_position = m_lines.size();
    m_draft.clear();
}

void SendHistory::clear()
{
    m_lines.clear();
    m_position = 0;
    m_draft.clear();
}

QString SendHistory::older(const QString &shown)
{
    if (m_position == 0)
        return shown;
    if (m_position == m_lines.size())
        m_draft = shown;
    return m_lines.at(--m_position);
}

QString SendHistory::newer(const QString &shown)
{
    if (m_position >= m_lines.size())
        return shown;
    ++m_position;
    return m_position == m_lines.size() ? m_draft : m_lines.at(m_position);
}
