#pragma once

#include <QString>
#include <QStringList>

// The lines sent from the send line, oldest first, walked with Up and Down
// as a shell does: Up from the draft goes to the newest line, Down past the
// newest gives the draft back.
class SendHistory
{
public:
    static constexpr int maxLines = 200;

    QStringList lines() const { return m_lines; }
    // Stored lines, oldest first; the oldest beyond maxLines are dropped.
    void setLines(const QStringList &lines);

    // A line sent: kept unless it repeats the newest one. Ends a walk.
    void add(const QString &line);
    void clear();

    // The older line to show instead of `shown`; `shown` itself at the
    // oldest. The first step keeps `shown` as the draft.
    QString older(const QString &shown);
    // The newer line, or the draft once past the newest.
    QString newer(const QString &shown);

private:
    QStringList m_lines;
    // Where the walk is: m_lines.size() while on the draft.
    int m_position = 0;
    QString m_draft;
};
