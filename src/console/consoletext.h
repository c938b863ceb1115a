#pragma once

#include "chunkmemory.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <vector>

class QIODevice;

// The console's text, no widget: Latin-1 characters exactly as shown, each
// line break one '\n', held in fixed-size chunks that are never moved, plus
// where each line starts. About one byte per character and 8 per line.
class ConsoleText
{
public:
    ConsoleText();
    ~ConsoleText();

    // Takes one received batch through the console's byte rules.
    void append(const QByteArray &batch);
    void clear();
    // Takes out the characters in [from, to), line breaks included.
    void remove(qint64 from, qint64 to);

    qint64 size() const { return m_size; }
    qint64 lineCount() const { return qint64(m_lineStarts.size()); }
    qint64 lineStart(qint64 line) const { return m_lineStarts[size_t(line)]; }
    // Characters of the line, its break not counted.
    qint64 lineLength(qint64 line) const;
    bool lineHasTab(qint64 line) const { return m_tabLines[size_t(line)]; }
    qint64 lineOf(qint64 position) const;
    char at(qint64 position) const { return m_chunks[size_t(position >> chunkBits)][position & chunkMask]; }
    QByteArray mid(qint64 from, qint64 count) const;

    // The lowest line that changed or went since the last markSeen(): what a
    // layout over the text has to redo.
    qint64 firstChangedLine() const { return m_firstChangedLine; }
    void markSeen() { m_firstChangedLine = lineCount(); }

    QString toPlainText() const;
    // Both write a chunk at a time and return false when a write fails.
    bool writePlainText(QIODevice *device) const;
    bool writeHtml(QIODevice *device) const;
    QString toHtml() const;

private:
    static constexpr int chunkBits = 21;
    static constexpr qint64 chunkSize = qint64(1) << chunkBits;
    static constexpr qint64 chunkMask = chunkSize - 1;

    static constexpr qint64 firstChunkStart = 4096;

    void appendShown(const char *bytes, qint64 count);
    void growFirstChunk();
    void putChar(char c);
    void popChar();
    void changed(qint64 line);

    std::vector<ChunkPointer> m_chunks;
    qint64 m_firstChunkCapacity = 0;
    qint64 m_size = 0;
    // A deque grows in small blocks, so a long index is never copied whole.
    std::deque<qint64> m_lineStarts;
    std::vector<bool> m_tabLines;
    qint64 m_firstChangedLine = 0;
    // The last break was made by a CR whose LF may still open the next batch.
    bool m_crOpen = false;
};
