#pragma once

#include "textpattern.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class ConsoleText;

// Find over the console's text while it keeps growing, in slices of at most
// sliceMilliseconds between events, so that a key press never waits for a
// gigabyte to be read. A step to the next or previous match goes first;
// counting every match comes after, and follows the text as it grows.
//
// Every start counts, overlapping ones too: a match's index then depends on
// no match before it, and the counts kept per block of the text stay right
// when only the end of the text changes.
class TextSearch : public QObject
{
    Q_OBJECT

public:
    static constexpr int sliceMilliseconds = 20;
    // What one step of a slice reads before it looks at the clock.
    static constexpr qint64 stepBytes = qint64(1) << 20;
    // Matches are counted per block, so a match's index takes reading no
    // more than one block.
    static constexpr qint64 blockBytes = qint64(1) << 20;

    struct Match
    {
        qint64 from = -1;
        qint64 to = -1;
        bool isValid() const { return from >= 0; }
    };

    explicit TextSearch(const ConsoleText &text, QObject *parent = nullptr);

    // Line breaks (CR LF, CR or LF) in `pattern` match the text's line
    // breaks. While the text is UTF-8 the pattern is too, and only A to Z
    // fold; otherwise a character beyond Latin-1 matches nothing. Drops the
    // current match and starts counting again.
    void setPattern(const QString &pattern, Qt::CaseSensitivity cs);
    QString pattern() const { return m_patternText; }
    Qt::CaseSensitivity caseSensitivity() const { return m_cs; }
    bool isActive() const { return !m_pattern.isEmpty(); }
    // A match for which accepts(from, to) is false does not count; by
    // default every match counts. Counting starts again.
    void setMatchFilter(std::function<bool(qint64 from, qint64 to)> accepts);

    // The first match starting at or after `position`, going round past the
    // end; found() or notFound() says the result.
    void findForward(qint64 position);
    // The last match starting before `position`, going round past the start.
    void findBackward(qint64 position);
    // From the current match, or from `position` when there is none.
    void findNext(qint64 position);
    void findPrevious(qint64 position);
    bool isFinding() const { return m_find.active; }

    Match current() const { return m_current; }
    // 1 for the first match in the text; 0 while unknown.
    qint64 currentIndex() const { return m_currentIndex; }
    // The matches counted so far, and whether the count has reached the end
    // of the text once since the pattern was set.
    qint64 matchCount() const { return m_matchCount; }
    bool isCounted() const { return m_counted; }
    bool isCountingNow() const { return m_countedTo < countLimit(); }

    // Every accepted match that overlaps [from, to), a screenful, at once.
    std::vector<Match> matchesIn(qint64 from, qint64 to) const;

    // To be called after the text changed and before its changes are marked
    // seen: matches over a changed part go, and the search picks up from
    // the first change. Clearing the text cancels a step in progress.
    void noteTextChanges();

signals:
    void found(qint64 from, qint64 to);
    void notFound();
    // The count or the current match's index changed.
    void progress();
    // The pattern, the filter or the text changed what matches where: a
    // view showing them redraws.
    void matchesChanged();

private:
    struct FindStep
    {
        bool active = false;
        bool forward = true;
        bool wrapped = false;
        qint64 origin = 0;
        // Forward: the next start to read; backward: the start after the
        // last one left to read.
        qint64 position = 0;
    };

    void restartCount();
    void textChangedFrom(qint64 position);
    void startFind(bool forward, qint64 origin);
    void schedule();
    void runSlice();
    void stepFind();
    void stepCount();
    void setCurrent(qint64 from);
    void updateIndex();
    qint64 lastStart() const;
    qint64 countLimit() const;
    qint64 countIn(qint64 from, qint64 to) const;
    bool accepts(qint64 from) const;

    const ConsoleText &m_text;
    QString m_patternText;
    Qt::CaseSensitivity m_cs = Qt::CaseSensitive;
    TextPattern m_pattern;
    bool m_impossible = false; // a character no text holds
    std::function<bool(qint64, qint64)> m_accepts;
    Match m_current;
    qint64 m_currentIndex = 0;
    FindStep m_find;
    std::vector<qint64> m_blockCounts;
    qint64 m_countedTo = 0;
    qint64 m_matchCount = 0;
    bool m_counted = false;
    // The text's size when its changes were last noted.
    qint64 m_knownSize = 0;
    QTimer m_timer;
};
