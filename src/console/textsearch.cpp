#include "textsearch.h"

#include "consoletext.h"

#include <algorithm>
#include <numeric>

namespace {

// The byte counts that pick the pattern's rarest byte come from this much of
// the text's end, read where it lies.
constexpr qint64 sampleBytes = 64 * 1024;

} // namespace

TextSearch::TextSearch(const ConsoleText &text, QObject *parent)
    : QObject(parent)
    , m_text(text)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TextSearch::runSlice);
}

void TextSearch::setPattern(const QString &pattern, Qt::CaseSensitivity cs)
{
    m_patternText = pattern;
    m_cs = cs;
    QString lines = pattern;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool utf8 = m_text.utf8();
    m_impossible = !utf8 && std::any_of(lines.begin(), lines.end(), [](QChar c) { return c.unicode() > 0xff; });
    qint64 available = 0;
    const qint64 sampleFrom = std::max<qint64>(0, m_text.size() - sampleBytes);
    const char *sample = m_text.size() > 0 ? m_text.piece(sampleFrom, &available) : nullptr;
    // Not the few last bytes of a chunk when the next one holds more.
    if (available < sampleBytes / 2 && sampleFrom + available < m_text.size())
        sample = m_text.piece(sampleFrom + available, &available);
    m_pattern = m_impossible ? TextPattern()
                             : TextPattern(utf8 ? lines.toUtf8() : lines.toLatin1(), cs,
                                           QByteArray::fromRawData(sample, int(std::min(available, sampleBytes))),
                                           utf8 ? TextPattern::Folding::Ascii : TextPattern::Folding::Latin1);
    m_current = Match();
    m_find.active = false;
    m_knownSize = m_text.size();
    restartCount();
}

void TextSearch::setMatchFilter(std::function<bool(qint64, qint64)> accepts)
{
    m_accepts = std::move(accepts);
    if (m_current.isValid() && !this->accepts(m_current.from))
        m_current = Match();
    restartCount();
}

void TextSearch::restartCount()
{
    m_blockCounts.clear();
    m_countedTo = 0;
    m_matchCount = 0;
    m_counted = false;
    m_currentIndex = 0;
    schedule();
    emit progress();
    emit matchesChanged();
}

void TextSearch::findForward(qint64 position)
{
    startFind(true, position);
}

void TextSearch::findBackward(qint64 position)
{
    startFind(false, position);
}

void TextSearch::findNext(qint64 position)
{
    startFind(true, m_current.isValid() ? m_current.from + 1 : position);
}

void TextSearch::findPrevious(qint64 position)
{
    startFind(false, m_current.isValid() ? m_current.from : position);
}

void TextSearch::startFind(bool forward, qint64 origin)
{
    m_find = FindStep();
    m_find.active = isActive();
    m_find.forward = forward;
    m_find.origin = std::max<qint64>(0, origin);
    m_find.position = forward ? m_find.origin : std::min(m_find.origin, countLimit());
    if (!m_find.active) {
        emit notFound();
        return;
    }
    schedule();
}

void TextSearch::schedule()
{
    if (isActive() && !m_timer.isActive())
        m_timer.start();
}

void TextSearch::runSlice()
{
    QElapsedTimer clock;
    clock.start();
    const qint64 counted = m_countedTo;
    do {
        if (m_find.active)
            stepFind();
        else if (isCountingNow())
            stepCount();
        else
            break;
    } while (clock.elapsed() < sliceMilliseconds);
    if (m_countedTo != counted)
        emit progress();
    if (m_find.active || isCountingNow())
        m_timer.start();
}

void TextSearch::stepFind()
{
    const qint64 limit = countLimit();
    const auto done = [this](qint64 start) {
        m_find.active = false;
        setCurrent(start);
        emit found(m_current.from, m_current.to);
    };
    if (m_find.forward) {
        const qint64 end = m_find.wrapped ? std::min(m_find.origin, limit) : limit;
        if (m_find.position < end) {
            const qint64 stop = std::min(end, m_find.position + stepBytes);
            qint64 hit = -1;
            m_pattern.scan(m_text, m_find.position, stop, [&](qint64 start) {
                if (!accepts(start))
                    return true;
                hit = start;
                return false;
            });
            if (hit >= 0)
                return done(hit);
            m_find.position = stop;
            if (stop < end)
                return;
        }
        if (!m_find.wrapped) {
            m_find.wrapped = true;
            m_find.position = 0;
            return;
        }
    } else {
        const qint64 lower = m_find.wrapped ? m_find.origin : 0;
        if (m_find.position > lower) {
            const qint64 start = std::max(lower, m_find.position - stepBytes);
            qint64 hit = -1;
            m_pattern.scan(m_text, start, m_find.position, [&](qint64 at) {
                if (accepts(at))
                    hit = at;
                return true;
            });
            if (hit >= 0)
                return done(hit);
            m_find.position = start;
            if (start > lower)
                return;
        }
        if (!m_find.wrapped) {
            m_find.wrapped = true;
            m_find.position = limit;
            return;
        }
    }
    m_find.active = false;
    emit notFound();
}

void TextSearch::stepCount()
{
    const qint64 limit = countLimit();
    const qint64 block = m_countedTo / blockBytes;
    const qint64 end = std::min(limit, (block + 1) * blockBytes);
    const qint64 count = countIn(m_countedTo, end);
    if (qint64(m_blockCounts.size()) <= block)
        m_blockCounts.resize(size_t(block + 1), 0);
    m_blockCounts[size_t(block)] += count;
    m_matchCount += count;
    m_countedTo = end;
    if (end == limit)
        m_counted = true;
    if (m_current.isValid() && m_currentIndex == 0)
        updateIndex();
}

void TextSearch::setCurrent(qint64 from)
{
    m_current = {from, from + m_pattern.length()};
    m_currentIndex = 0;
    updateIndex();
    emit progress();
}

// The blocks before the match's own, and the matches of that block up to it.
void TextSearch::updateIndex()
{
    if (!m_current.isValid() || m_countedTo <= m_current.from)
        return;
    const size_t block = size_t(m_current.from / blockBytes);
    m_currentIndex = std::accumulate(m_blockCounts.begin(), m_blockCounts.begin() + qint64(block), qint64(0))
        + countIn(qint64(block) * blockBytes, m_current.from + 1);
}

qint64 TextSearch::countLimit() const
{
    return m_pattern.isEmpty() ? 0 : std::max<qint64>(0, m_text.size() - m_pattern.length() + 1);
}

qint64 TextSearch::countIn(qint64 from, qint64 to) const
{
    qint64 count = 0;
    m_pattern.scan(m_text, from, to, [&](qint64 start) {
        count += accepts(start);
        return true;
    });
    return count;
}

bool TextSearch::accepts(qint64 from) const
{
    return !m_accepts || m_accepts(from, from + m_pattern.length());
}

std::vector<TextSearch::Match> TextSearch::matchesIn(qint64 from, qint64 to) const
{
    std::vector<Match> matches;
    m_pattern.scan(m_text, std::max<qint64>(0, from - m_pattern.length() + 1), to, [&](qint64 start) {
        if (accepts(start))
            matches.push_back({start, start + m_pattern.length()});
        return true;
    });
    return matches;
}

void TextSearch::noteTextChanges()
{
    const ConsoleText::Changes &changes = m_text.changes();
    const bool tailChanged = changes.tailLine < m_text.lineCount();
    if (!isActive() || (!tailChanged && !changes.removal)) {
        m_knownSize = m_text.size();
        return;
    }
    qint64 first = m_text.size();
    if (tailChanged)
        first = std::min(first, m_text.lineStart(changes.tailLine) + changes.tailOffset);
    if (changes.removal)
        first = std::min(first, m_text.lineStart(changes.removedLine));
    textChangedFrom(first);
}

// Text after `position` changed; when it all followed the old end, nothing
// read so far is stale.
void TextSearch::textChangedFrom(qint64 position)
{
    const bool appended = position >= m_knownSize;
    m_knownSize = m_text.size();
    if (!isActive())
        return;
    const qint64 keep = std::max<qint64>(0, position - m_pattern.length() + 1);
    if (m_countedTo > keep) {
        const size_t block = size_t(keep / blockBytes);
        m_matchCount -= std::accumulate(m_blockCounts.begin() + qint64(block), m_blockCounts.end(), qint64(0));
        m_blockCounts.resize(block);
        m_countedTo = qint64(block) * blockBytes;
    }
    if (m_current.isValid() && m_current.to > position) {
        m_currentIndex = 0;
        if (!m_pattern.matchesAt(m_text, m_current.from) || !accepts(m_current.from))
            m_current = Match();
        updateIndex();
    }
    if (m_find.active && !appended) {
        if (m_text.size() == 0)
            m_find.active = false;
        else
            startFind(m_find.forward, std::min(m_find.origin, m_text.size()));
    }
    schedule();
    emit progress();
    emit matchesChanged();
}
