#pragma once

#include <QByteArray>
#include <QString>

// A plain model of what the console shows: one character per screen
// position, '\n' for a line break. Written apart from the console's own code
// so that tests can hold the two against each other.
class ConsoleModel
{
public:
    void addBatch(const QByteArray &batch);
    void clear();
    QString text() const { return m_screen; }

private:
    QString m_screen;
    bool m_endsWithCr = false;
};
