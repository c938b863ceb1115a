#pragma once

#include "textstyle.h"

#include <QtGlobal>

#include <deque>

class ConsoleText;

// The colour sequences in the console's text: where each lies (it takes no
// cell and is not drawn) and the style it leaves. One entry per complete
// sequence, none per character, so plain text costs nothing here; 16 bytes
// a sequence.
//
// Everything is a function of the stored bytes: a sequence is found where
// its bytes are complete and lost when a backspace or a removal breaks it.
// The style carries over line breaks, as terminals keep it; it is the one
// the last sequence before a position left. A sequence holds no line break.
class ColourRuns
{
public:
    void clear()
    {
        std::deque<Sequence>().swap(m_sequences);
        m_hint = 0;
    }
    // The text changed from `from` on: what was there went and what is
    // there now is new. Returns the first position whose drawing changed
    // beyond that, for a layout to redo: a sequence that a backspace broke,
    // or one that the new bytes completed.
    qint64 textChanged(const ConsoleText &text, qint64 from);
    // [from, to) was taken out of the text.
    void removed(const ConsoleText &text, qint64 from, qint64 to);

    qint64 count() const { return qint64(m_sequences.size()); }
    qint64 start(qint64 index) const { return m_sequences[size_t(index)].start; }
    qint64 end(qint64 index) const { return start(index) + lengthOf(m_sequences[size_t(index)]); }
    TextStyle styleAfter(qint64 index) const { return unpack(m_sequences[size_t(index)].packed); }
    // The first sequence ending after the position, count() when none.
    qint64 firstEndingAfter(qint64 position) const;
    TextStyle styleAt(qint64 position) const;
    // Whether [from, to) holds any byte of a sequence.
    bool overlaps(qint64 from, qint64 to) const;
    // How many bytes of [from, to) sequences hold.
    qint64 hiddenIn(qint64 from, qint64 to) const;

private:
    struct Sequence
    {
        qint64 start;
        quint64 packed; // length, then the style after it: colours, bold, attributes
    };

    static int lengthOf(const Sequence &sequence) { return int(sequence.packed & 0x3f); }
    static quint64 pack(const TextStyle &style, int length);
    static TextStyle unpack(quint64 packed);
    static int read(const ConsoleText &text, qint64 position, char *bytes);
    // Adds to `found` the sequences starting in [from, until), the first
    // taking `style` on.
    static void scan(const ConsoleText &text, qint64 from, qint64 until, TextStyle style,
                     std::deque<Sequence> *found);
    TextStyle styleBefore(qint64 index) const;

    std::deque<Sequence> m_sequences;
    // Layouts and painting ask in order: the answer given last is tried first.
    mutable qint64 m_hint = 0;
};
