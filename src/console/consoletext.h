#pragma once

#include "linetimes.h"
#include "utf8decoder.h"

#include <QByteArray>
#include <QString>
#include <QTime>

#include <limits>
#include <optional>
#include <memory>
#include <vector>

class ColourRuns;

// The console's text, no widget: Latin-1 characters exactly as shown, each
// line break one '\n', held in chunks that are never moved. A chunk may be
// partly filled (a Delete closes the gap inside one chunk instead of moving
// everything after it), and it holds the starts of its lines as 32-bit
// offsets: about one byte per character and four per line.
//
// Marks (a disconnection, say) sit between characters without being part of
// the text: a marked position always starts a line. A mark ends an
// unfinished line with a line break; only a Delete that joins text across
// a mark leaves a marked line that follows no break.
class ConsoleText
{
public:
    static constexpr qint64 defaultChunkSize = qint64(2) << 20;
    // Chunk offsets share 32 bits with a line's flags.
    static constexpr qint64 maxChunkSize = qint64(1) << 27;
    // The most mid() copies into one QByteArray, and toPlainText() into one
    // QString; larger ranges are written with writePlainText().
    static constexpr qint64 maxArraySize = qint64(1) << 29;

    explicit ConsoleText(qint64 chunkSize = defaultChunkSize);
    ~ConsoleText();
    ConsoleText(const ConsoleText &) = delete;
    ConsoleText &operator=(const ConsoleText &) = delete;

    // Takes one received batch through the console's byte rules. Backspaces
    // stop at the last mark. The lines it starts began at `arrival`
    // (milliseconds since the epoch), or now. Returns where the batch's text
    // begins: before the size it found if its backspaces erased any.
    qint64 append(const QByteArray &batch);
    qint64 append(const QByteArray &batch, qint64 arrival);
    void clear();
    // Line editing: the last line's characters from `from` (not before the
    // line's start) on are replaced by `count` bytes, which hold no CR and
    // no tab; an LF among them breaks the line. The line keeps its time;
    // lines it starts begin at `arrival`. Costs what it replaces and adds.
    void rewriteLastLine(qint64 from, const char *bytes, qint64 count, qint64 arrival);
    // Takes out the characters in [from, to), line breaks included. Marks
    // inside the range move to `from`.
    void remove(qint64 from, qint64 to);
    // Marks the current end of the text, after a line break added when
    // the last line holds anything.
    void addMark(const QTime &time);
    // Colour sequences from the device are found and kept track of while on;
    // switching redoes every line's layout.
    void setDeviceColours(bool on);
    // Null while device colours are off.
    const ColourRuns *colours() const { return m_colours.get(); }
    // Whether [from, to) holds a byte of a colour sequence, which is not
    // drawn; never while device colours are off.
    bool overlapsHiddenSequence(qint64 from, qint64 to) const;
    // While on, the bytes are read as UTF-8 where they are laid out and
    // drawn; switching redoes every line's layout.
    void setUtf8(bool on);
    bool utf8() const { return m_utf8; }

    qint64 size() const { return m_size; }
    qint64 lineCount() const { return m_lineCount; }
    qint64 lineStart(qint64 line) const;
    // Characters of the line, its break not counted.
    qint64 lineLength(qint64 line) const;
    bool lineHasTab(qint64 line) const { return entry(line) & tabFlag; }
    // Whether the line holds a byte over 0x7f while UTF-8 is on: its
    // characters may take fewer or more cells than bytes.
    bool lineHasHighBytes(qint64 line) const { return entry(line) & highFlag; }
    qint64 lineOf(qint64 position) const;
    // What a layout asks of every line, found at once.
    struct LineInfo
    {
        qint64 start;
        qint64 length;
        bool hasTab;
        bool hasHighBytes;
        bool marked;
    };
    LineInfo lineInfo(qint64 line) const;
    char at(qint64 position) const;
    // The characters from `position` that lie together in memory, at least
    // one when position < size(); their count in *available.
    const char *piece(qint64 position, qint64 *available) const;
    // The character starting at `position` read as UTF-8 across chunks,
    // Truncated when the text ends before it does.
    Utf8Decoder::Decoded characterAt(qint64 position) const;
    // Where the character before `position` starts, read as UTF-8.
    qint64 characterBefore(qint64 position) const;
    // Refuses (returns nothing for) counts over maxArraySize.
    QByteArray mid(qint64 from, qint64 count) const;

    // When the line's first character arrived; none while it has none.
    std::optional<qint64> lineTime(qint64 line) const;
    qint64 lineTimeCount() const { return m_times.count(); }

    // The marks drawn before the line, and their times.
    int marksBefore(qint64 line) const;
    QTime markTime(qint64 line, int index) const;
    qint64 markCount() const { return qint64(m_marks.size()); }

    // What changed since the last markSeen(), for a layout over the text to
    // redo: everything from character tailOffset of line tailLine on, and,
    // when `removal` holds, lines [removedLine, removedLine + removedStarts]
    // that became lines [removedLine, removedLine + keptLines] with the lines
    // after them unchanged.
    struct Changes
    {
        qint64 tailLine = 0;
        qint64 tailOffset = 0;
        bool removal = false;
        qint64 removedLine = 0;
        qint64 removedStarts = 0;
        qint64 keptLines = 0;
    };
    const Changes &changes() const { return m_changes; }
    // The lowest position whose character, or the way it is drawn, changed
    // since the last call other than by text added at the end: a Backspace,
    // remove(), clear(), a colour sequence completed across batches or
    // device colours switched. None when nothing did.
    std::optional<qint64> takeRewrite();
    // The lowest line that changed or went since the last markSeen().
    qint64 firstChangedLine() const;
    void markSeen();

private:
    static constexpr quint32 offsetMask = (quint32(1) << 28) - 1;
    static constexpr quint32 highFlag = quint32(1) << 28; // a byte over 0x7f, UTF-8 on
    static constexpr quint32 softFlag = quint32(1) << 29; // no line break before
    static constexpr quint32 markFlag = quint32(1) << 30; // marks drawn before
    static constexpr quint32 tabFlag = quint32(1) << 31;

    struct Chunk
    {
        explicit Chunk(qint64 size);
        ~Chunk();
        Chunk(Chunk &&other) noexcept;
        Chunk &operator=(Chunk &&other) noexcept;

        char *data = nullptr;
        qint64 capacity = 0;
        qint64 fill = 0;
        // Lines starting in this chunk: offset (a line that starts after the
        // chunk's last '\n' has offset == fill) and flags.
        std::vector<quint32> lines;
    };

    struct Mark
    {
        qint64 position;
        QTime time;
    };

    void appendShown(const char *bytes, qint64 count);
    void flagHighBytes();
    void stampStartedLines(qint64 lastLine, qint64 sizeBefore, qint64 arrival);
    void truncateLastLine(qint64 from);
    void coloursChanged(qint64 from);
    void newChunk();
    void growFirstChunk();
    void popChar();
    void tailChanged(qint64 line, qint64 offset);
    void rebuildIndex(size_t fromChunk);
    void mergeChunks(size_t first);
    static bool offsetAfter(qint64 offset, quint32 entry);
    size_t chunkOfPosition(qint64 position) const;
    size_t chunkOfLine(qint64 line) const;
    quint32 entry(qint64 line) const;
    quint32 &lastEntry();
    void setEntryFlags(qint64 line, quint32 flags);

    qint64 m_chunkSize;
    std::vector<Chunk> m_chunks;
    // Per chunk, where it starts in the text and how many lines start
    // before it: rebuilt from a changed chunk on, there are few chunks.
    std::vector<qint64> m_chunkStart;
    std::vector<qint64> m_chunkFirstLine;
    mutable size_t m_hint = 0;
    qint64 m_size = 0;
    qint64 m_lineCount = 1;
    std::vector<Mark> m_marks;
    LineTimes m_times;
    Changes m_changes;
    qint64 m_rewrittenFrom = std::numeric_limits<qint64>::max();
    // The last break was made by a CR whose LF may still open the next batch.
    bool m_crOpen = false;
    bool m_utf8 = false;
    std::unique_ptr<ColourRuns> m_colours;
};
