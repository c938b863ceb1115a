#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A plain model of what the console shows: one character per screen
// position, '\n' for a line break. Written apart from the console's own code
// so that tests can hold the two against each other.
class ConsoleModel
{
public:
    void addBatch(const QByteArray &batch);
    void clear();
    // A mark at the end: backspaces stop there.
    void addMark();
    // Takes out [from, to); marks inside move to `from`.
    void remove(int from, int to);
    QString text() const { return m_screen; }
    QList<int> marks() const { return m_marks; }

private:
    QString m_screen;
    QList<int> m_marks;
    bool m_endsWithCr = false;
};
