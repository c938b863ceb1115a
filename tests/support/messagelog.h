#pragma once

#include <QStringList>

// Collects the debug lines written while it lives (and still prints them
// when TARNTERM_TEST_VERBOSE is set).
class MessageLog
{
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    QStringList lines() const;
    bool contains(const QString &text) const; // any line holding text
    int count(const QString &text) const;     // lines holding text
    void clear();
};
