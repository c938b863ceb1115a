#include "consolemodel.h"

void ConsoleModel::addBatch(const QByteArray &batch)
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
                erased = true;
            }
        } else {
            pending.append(byte);
        }
        first = false;
    }

    for (int i = 0; i < pending.size(); ++i) {
        const char byte = pending.at(i);
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
    m_marks.clear();
    m_endsWithCr = false;
}

void ConsoleModel::addMark()
{
    m_marks.append(m_screen.size());
    m_endsWithCr = false;
}

void ConsoleModel::remove(int from, int to)
{
    if (from >= to)
        return;
    m_screen.remove(from, to - from);
    for (int &mark : m_marks)
        mark = mark > to ? mark - (to - from) : mark > from ? from : mark;
    m_endsWithCr = false;
}
