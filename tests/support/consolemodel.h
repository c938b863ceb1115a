#pragma once

#include <QtGlobal>

#include <QByteArray>
#include <QList>
#include <QString>

// A plain model of what the console shows: one character per screen
// position, '\n' for a line break. Written apart from the console's own code
// so that tests can hold the two against each other.
class ConsoleModel
{
public:
    // A batch that arrived at `time`.
    void addBatch(const QByteArray &batch, qint64 time = 0);
    void clear();
    // A mark at the end, after a line break when the last line holds
    // anything: backspaces stop there.
    void addMark();
    // Takes out [from, to); marks inside move to `from`.
    void remove(int from, int to);
    QString text() const { return m_screen; }
    QList<int> marks() const { return m_marks; }
    // Per line that has a character, the time its first one arrived; a line
    // that a Delete joins to another takes the time of its new first one.
    QList<qint64> lineTimes() const;

private:
    QString m_screen;
    QList<int> m_marks;
    // Per character, the time of the line it belongs to.
    QList<qint64> m_times;
    bool m_endsWithCr = false;
};
