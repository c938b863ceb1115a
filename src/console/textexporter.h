#pragma once

#include "stylecursor.h"

#include <QByteArray>

#include <functional>

class ConsoleText;

// The text, or a range of it, as plain text or HTML, produced a bounded
// piece at a time so that a save can go on between events. It reads the
// store live and keeps only positions between pieces: text added after its
// range does not disturb it, but text rewritten inside the range (a
// Backspace, a Delete, a Clear) makes the rest meaningless, and whoever
// drives it must stop then (ZIvidView::textRewritten says when).
class TextExporter
{
public:
    enum class Format
    {
        PlainText,
        Html,
    };
    // Written before each line, given the line; a line a Delete joined to a
    // mark has no break in the text and gets none.
    using LinePrefix = std::function<QByteArray(qint64 line)>;

    // The characters in [from, to) as they are, without prefixes.
    static TextExporter range(const ConsoleText &text, qint64 from, qint64 to);
    // The whole text as it is now, each line after its prefix when one is
    // given; HTML draws device colours as spans while they are on.
    static TextExporter whole(const ConsoleText &text, Format format, const LinePrefix &prefix = {});

    // Appends about `budget` more bytes of output to *out, from at most
    // `budget` characters (HTML escapes take up to six bytes for one, and a
    // prefix adds its own); returns false once everything has been produced.
    bool next(QByteArray *out, qint64 budget);
    bool atEnd() const { return m_phase == Phase::Done; }
    // How far through the range, in characters of the text.
    qint64 position() const { return m_position; }
    qint64 from() const { return m_from; }
    qint64 to() const { return m_to; }

private:
    enum class Phase
    {
        Head,
        Body,
        Tail,
        Done,
    };

    TextExporter(const ConsoleText &text, Format format, qint64 from, qint64 to, const LinePrefix &prefix);
    void rawStep(QByteArray *out, qint64 budget);
    // Each reads at most `budget` characters, at least one.
    void prefixedTextStep(QByteArray *out, qint64 budget);
    void plainHtmlStep(QByteArray *out, qint64 budget);
    void colouredHtmlStep(QByteArray *out, qint64 budget);
    void closeSpan(QByteArray *out);

    const ConsoleText *m_text;
    Format m_format;
    qint64 m_from;
    qint64 m_to;
    LinePrefix m_prefix;
    Phase m_phase;
    qint64 m_position;
    bool m_lineBegins = true;
    bool m_inSpan = false;
    bool m_coloured = false;
    StyleCursor m_colours;
};
