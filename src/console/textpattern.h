#pragma once

#include <QByteArray>

#include <functional>

class ConsoleText;

// A literal to look for in the console's text, no widget: bytes, each line
// break one '\n', matched with or without case folding, Latin-1's or, for
// UTF-8, ASCII's alone.
//
// It reads the text where it lies, a chunk at a time, so a search costs no
// copy. The scan runs memchr() over the pattern's rarest byte (both of its
// cases when folding) and compares the rest only there; a match may run
// across chunks and line breaks.
class TextPattern
{
public:
    enum class Folding
    {
        Latin1,
        Ascii,
    };

    TextPattern() = default;
    // Rarity is judged by the byte counts of `sample`, some of the text to
    // be searched; empty means typical text.
    TextPattern(const QByteArray &bytes, Qt::CaseSensitivity cs, const QByteArray &sample = QByteArray(),
                Folding folding = Folding::Latin1);

    bool isEmpty() const { return m_bytes.isEmpty(); }
    qint64 length() const { return m_bytes.size(); }
    Qt::CaseSensitivity caseSensitivity() const { return m_cs; }

    bool matchesAt(const ConsoleText &text, qint64 position) const;
    // Latin-1's lower case of c (its own when it has none).
    static uchar fold(uchar c);
    // Calls found(start) for every match starting in [from, to), in order,
    // overlapping ones too, until found returns false. Returns the position
    // it stopped at: past the last start examined.
    qint64 scan(const ConsoleText &text, qint64 from, qint64 to, const std::function<bool(qint64)> &found) const;

private:
    bool matchesAt(const ConsoleText &text, qint64 position, const char *data, qint64 available) const;

    QByteArray m_bytes; // folded when case does not matter
    Qt::CaseSensitivity m_cs = Qt::CaseSensitive;
    // The lower case of every byte, by the folding chosen.
    const uchar *m_lower = nullptr;
    // The byte memchr() looks for, where it sits in the pattern, and its
    // other case (the same byte when it has none or case matters).
    qint64 m_anchorOffset = 0;
    uchar m_anchor = 0;
    uchar m_otherAnchor = 0;
};
