#include "sequencescanner.h"

namespace {

constexpr char escape = '\x1b';
constexpr char bell = '\x07';

bool isIntermediate(uchar c)
{
    return c >= 0x20 && c <= 0x2f;
}

bool isFinal(uchar c)
{
    return c >= 0x30 && c <= 0x7e;
}

} // namespace

void SequenceScanner::reset()
{
    m_state = State::Ground;
    m_bytes.clear();
    m_reread = false;
    m_restartEscape = false;
}

bool SequenceScanner::complete(Kind kind)
{
    m_kind = kind;
    m_state = State::Ground;
    return true;
}

// What was gathered is drawn; the byte that broke it is read again.
bool SequenceScanner::breakOff()
{
    m_reread = true;
    return complete(Kind::Literal);
}

bool SequenceScanner::feed(char byte)
{
    const uchar c = uchar(byte);
    m_reread = false;
    if (m_restartEscape) {
        m_restartEscape = false;
        m_bytes = QByteArray(1, escape);
        m_state = State::Escape;
    }
    if (m_state == State::Ground) {
        m_bytes.clear();
        m_bytes.append(byte);
        if (byte == escape) {
            m_state = State::Escape;
            return false;
        }
        return complete(c < 0x20 ? Kind::Control : Kind::Text);
    }
    switch (m_state) {
    case State::Escape:
        if (byte == '[') {
            m_state = State::Csi;
        } else if (byte == ']' || byte == 'P' || byte == 'X' || byte == '^' || byte == '_') {
            m_state = State::String;
        } else if (isIntermediate(c)) {
            m_state = State::EscapeIntermediate;
        } else if (isFinal(c)) {
            m_bytes.append(byte);
            return complete(Kind::Escape);
        } else {
            return breakOff();
        }
        m_bytes.append(byte);
        return false;
    case State::EscapeIntermediate:
        if (m_bytes.size() >= maxCsi)
            return breakOff();
        if (isIntermediate(c)) {
            m_bytes.append(byte);
            return false;
        }
        if (!isFinal(c))
            return breakOff();
        m_bytes.append(byte);
        return complete(Kind::Escape);
    case State::Csi:
        if (m_bytes.size() >= maxCsi || c < 0x20 || c > 0x7e)
            return breakOff();
        m_bytes.append(byte);
        return c >= 0x40 ? complete(Kind::Csi) : false;
    case State::String:
        if (m_bytes.size() >= maxString)
            return breakOff();
        if (byte == bell) {
            m_bytes.append(byte);
            return complete(Kind::String);
        }
        if (byte == escape)
            m_state = State::StringEscape;
        m_bytes.append(byte);
        return false;
    case State::StringEscape:
        if (byte != '\\') {
            // An ESC inside a string that is not its terminator: the string
            // was broken, and the ESC starts afresh.
            m_bytes.chop(1);
            m_restartEscape = true;
            return breakOff();
        }
        m_bytes.append(byte);
        return complete(Kind::String);
    case State::Ground:
        break;
    }
    return false;
}
