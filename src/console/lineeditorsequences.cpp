// LineEditor's reading of the device's escape sequences: the cursor moves,
// erases, deletes and inserts, the queries it answers and the title it
// keeps. Colour sequences go to style(); every other one is hidden.

#include "lineeditor.h"

#include "consoletext.h"
#include "sgrparser.h"

#include <algorithm>

void LineEditor::escape(const QByteArray &sequence)
{
    if (sequence.size() != 2)
        return;
    if (sequence.at(1) == '7')
        m_saved = m_cursor;
    else if (sequence.at(1) == '8')
        moveTo(m_saved);
}

void LineEditor::csi(const QByteArray &sequence)
{
    const char final = sequence.back();
    const char *p = sequence.constData() + 2;
    const char *const end = sequence.constData() + sequence.size() - 1;
    if (p < end && *p >= '<' && *p <= '?')
        return; // private modes
    qint64 params[4] = {};
    int count = 0;
    for (; p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            if (count < 4)
                params[count] = std::min<qint64>(params[count] * 10 + (*p - '0'), 100000);
        } else if (*p == ';') {
            ++count;
        } else {
            return; // intermediates: nothing here acts on those
        }
    }
    const qint64 n = std::max<qint64>(1, params[0]);
    const qint64 column = m_cursor % m_columns;
    switch (final) {
    case 'C':
        moveTo(rowStart() + std::min<qint64>(m_columns - 1, column + n));
        break;
    case 'D':
        moveTo(rowStart() + std::max<qint64>(0, column - n));
        break;
    case 'A':
        while (row() < n && joinPreviousLine()) {
        }
        moveTo(std::max<qint64>(0, row() - n) * m_columns + m_cursor % m_columns);
        break;
    case 'B':
        // Down only over rows the line has.
        moveTo(std::min(row() + n, std::max<qint64>(0, this->count() - 1) / m_columns) * m_columns + column);
        break;
    case 'G':
        moveTo(rowStart() + std::min<qint64>(n, m_columns) - 1);
        break;
    case 'K':
        if (params[0] == 0)
            erase(m_cursor, rowEnd());
        else if (params[0] == 1)
            erase(rowStart(), m_cursor + 1);
        else if (params[0] == 2)
            erase(rowStart(), rowEnd());
        break;
    case 'J':
        if (params[0] == 0)
            truncate(m_cursor);
        break;
    case 'P':
        removeCells(m_cursor, n);
        break;
    case '@':
        insertBlanks(m_cursor, n);
        break;
    case 's':
        m_saved = m_cursor;
        break;
    case 'u':
        moveTo(m_saved);
        break;
    case 'n':
        if (params[0] == 5)
            m_replies += "\x1b[0n";
        else if (params[0] == 6)
            m_replies += "\x1b[" + QByteArray::number(row() + 1) + ';' + QByteArray::number(column + 1) + 'R';
        break;
    case 'm':
        if (m_text.colours() && SgrParser::sequenceLength(sequence.constData(), sequence.size()) == sequence.size())
            style(sequence);
        break;
    default:
        break;
    }
}

// OSC 0 and 2 set the title, decoded as UTF-8; the rest is hidden.
void LineEditor::osc(const QByteArray &sequence)
{
    if (sequence.at(1) != ']')
        return;
    QByteArray payload = sequence.mid(2);
    payload.chop(payload.endsWith('\a') ? 1 : 2);
    if (payload.startsWith("0;") || payload.startsWith("2;"))
        m_title = QString::fromUtf8(payload.mid(2));
}
