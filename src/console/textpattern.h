#pragma once

#include <QByteArray>

#include <functional>

class ConsoleText;

// A literal to look for in the console's text, no widget: Latin-1 bytes,
// each line break one '\n', matched with or without Latin-1 case folding.
//
// It reads the text where it lies, a chunk at a time, so a search costs no
// copy. The scan runs memchr() over the pattern's rarest byte (both of its
// cases when folding) and compares the rest only there; a match may run
// across chunks and line breaks.
class TextPattern
{
public:
    TextPattern() = default;
    // Rarity is judged by the byte counts of `sample`, some of the text to
    // be searched; empty means typical text.
    TextPattern(const QByteArray &bytes, Qt::CaseSensitivity cs, const QByteArray &sample = QByteArray());

    bool isEmpty() const { return m_bytes.isEmpty(); }
    qint64 length() const { return m_bytes.size(); }
    Qt::CaseSensitivity caseSensitivity() const { return m_cs; }

    bool matchesAt(const ConsoleText &text, qint64 position) const;
    // Calls found(start) for every match starting in [from, to), in order,
    // overlapping ones too, until found returns false. Returns the position
    // it stopped at: past the last start examined.
    qint64 scan(const ConsoleText &text, qint64 from, qint64 to, const std::function<bool(qint64)> &found) const;

    // Latin-1's lower case of c (its own when it has none).
    static uchar fold(uchar c);

private:
    bool matchesAt(const ConsoleText &text, qint64 position, const char *data, qint64 available) const;

    QByteArray m_bytes; // folded when case does not matter
    Qt::CaseSensitivity m_cs = Qt::CaseSensitive;
    // The byte memchr() looks for, where it sits in the pattern, and its
    // other case (the same byte when it has none or case matters).
    qint64 m_anchorOffset = 0;
    uchar m_anchor = 0;
    uchar m_otherAnchor = 0;
};
