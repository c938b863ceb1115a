#include "consolemodel.h"

namespace {

bool startsLine(const QString &screen, const QList<int> &marks, int position)
{
    return position == 0 || screen.at(position - 1) == QLatin1Char('\n') || marks.contains(position);
}

} // namespace

void ConsoleModel::addBatch(const QByteArray &batch, qint64 time)
{
    QByteArray pending;
    bool skippedLf = false;
    bool erased = false;
    bool first = true;
    for (char byte : batch) {
        if (byte == '\0')
            continue;
        if (first && byte == '\n' && m_endsWithCr) {
            // The second half of a CR LF pair that arrived split.
            skippedLf = true;
        } else if (byte == '\b') {
            if (!pending.isEmpty()) {
                pending.chop(1);
            } else if (skippedLf) {
                skippedLf = false;
            } else if (m_screen.size() > (m_marks.isEmpty() ? 0 : m_marks.last())) {
                m_screen.chop(1);
                m_times.removeLast();
                erased = true;
            }
        } else {
            pending.append(byte);
        }
        first = false;
    }

    for (int i = 0; i < pending.size(); ++i) {
        const char byte = pending.at(i);
        m_times.append(startsLine(m_screen, m_marks, m_screen.size()) ? time : m_times.last());
        if (byte == '\r' || byte == '\n') {
            m_screen += QLatin1Char('\n');
            if (byte == '\r' && i + 1 < pending.size() && pending.at(i + 1) == '\n')
                ++i;
        } else {
            m_screen += QChar(uchar(byte));
        }
    }
    if (!pending.isEmpty())
        m_endsWithCr = pending.endsWith('\r');
    else if (erased || skippedLf)
        m_endsWithCr = false;
}

void ConsoleModel::clear()
{
    m_screen.clear();
    m_times.clear();
    m_marks.clear();
    m_endsWithCr = false;
}

void ConsoleModel::addMark()
{
    if (!startsLine(m_screen, m_marks, m_screen.size())) {
        m_screen += QLatin1Char('\n');
        m_times.append(m_times.last());
    }
    m_marks.append(m_screen.size());
    m_endsWithCr = false;
}

void ConsoleModel::remove(int from, int to)
{
    if (from >= to)
        return;
    m_screen.remove(from, to - from);
    m_times.erase(m_times.begin() + from, m_times.begin() + to);
    for (int &mark : m_marks)
        mark = mark > to ? mark - (to - from) : mark > from ? from : mark;
    m_endsWithCr = false;
    for (int i = 1; i < m_screen.size(); ++i) {
        if (!startsLine(m_screen, m_marks, i))
            m_times[i] = m_times[i - 1];
    }
}

QList<qint64> ConsoleModel::lineTimes() const
{
    QList<qint64> times;
    for (int i = 0; i < m_screen.size(); ++i) {
        if (startsLine(m_screen, m_marks, i))
            times.append(m_times.at(i));
    }
    return times;
}
