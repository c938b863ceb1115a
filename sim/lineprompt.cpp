#include "lineprompt.h"

#include <utility>

namespace {

const QByteArray prompt = ">>> ";

QByteArray csi(int n, char final)
{
    return "\x1b[" + QByteArray::number(n) + final;
}

} // namespace

QByteArray LinePrompt::start()
{
    m_probe = Probe::StartColumn;
    m_line.clear();
    m_cursor = 0;
    return title() + "\x1b[6n";
}

QByteArray LinePrompt::title() const
{
    return "\x1b]0;\xf0\x9f\x90\x8d Tarnwick REPL | " + QByteArray::number(m_commands) + " run\x1b\\";
}

QByteArray LinePrompt::receive(const QByteArray &bytes)
{
    QByteArray out;
    for (char c : bytes) {
        if (!m_escape.isEmpty() || c == '\x1b') {
            m_escape += c;
            const char last = m_escape.back();
            if (m_escape.size() > 2 && ((last >= 'A' && last <= 'Z') || last == '~')) {
                out += sequence(std::exchange(m_escape, QByteArray()));
            } else if (m_escape.size() > 16) {
                m_escape.clear();
            }
            continue;
        }
        out += key(c);
    }
    return out;
}

// Cursor reports, while probing, and the keys the terminal sends.
QByteArray LinePrompt::sequence(const QByteArray &sequence)
{
    if (m_probe != Probe::Done && !sequence.endsWith('R')) {
        m_typeahead += sequence;
        return {};
    }
    if (sequence.endsWith('R')) {
        const int column = sequence.mid(sequence.indexOf(';') + 1).chopped(1).toInt();
        if (m_probe == Probe::StartColumn) {
            m_startColumn = column;
            m_probe = Probe::Width;
            return "\x1b[999C\x1b[6n";
        }
        if (m_probe == Probe::Width) {
            m_columns = column;
            m_probe = Probe::Done;
            const QByteArray back = column > m_startColumn ? csi(column - m_startColumn, 'D') : QByteArray();
            const QByteArray drawn = back + refresh();
            return drawn + receive(std::exchange(m_typeahead, QByteArray()));
        }
        return {};
    }
    if (sequence == "\x1b[D" && m_cursor > 0)
        --m_cursor;
    else if (sequence == "\x1b[C" && m_cursor < m_line.size())
        ++m_cursor;
    else if (sequence == "\x1b[H")
        m_cursor = 0;
    else if (sequence == "\x1b[F")
        m_cursor = m_line.size();
    else if (sequence == "\x1b[3~" && m_cursor < m_line.size())
        m_line.remove(m_cursor, 1);
    else
        return {};
    return refresh();
}

QByteArray LinePrompt::key(char c)
{
    if (m_probe != Probe::Done) {
        m_typeahead += c;
        return {};
    }
    if (c == '\r' || c == '\n')
        return run();
    if (c == '\x7f' || c == '\b') {
        if (m_cursor == 0)
            return "\a";
        m_line.remove(--m_cursor, 1);
    } else if (c == '\x15') { // Ctrl+U
        m_line.clear();
        m_cursor = 0;
    } else if (uchar(c) >= 0x20) {
        m_line.insert(m_cursor++, c);
    } else {
        return {};
    }
    return refresh();
}

// As linenoise draws a single line: from its start, the rest erased, the
// cursor put back.
QByteArray LinePrompt::refresh() const
{
    QByteArray out = "\r" + prompt + m_line + "\x1b[0K\r";
    const int column = int(prompt.size()) + m_cursor;
    if (column > 0)
        out += csi(column, 'C');
    return out;
}

QByteArray LinePrompt::run()
{
    QByteArray out = "\r\n";
    const QByteArray command = m_line.trimmed();
    if (!command.isEmpty()) {
        ++m_commands;
        bool number = false;
        const double value = command.toDouble(&number);
        if (number)
            out += QByteArray::number(value * 2) + "\r\n";
        else
            out += "\x1b[33m" + command + "\x1b[0m\r\n";
    }
    return out + start();
}
