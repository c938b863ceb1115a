#pragma once

#include <QSet>

class QWidget;

// The keys Alt belongs to in a window: its menu bar's mnemonics and its Alt
// shortcuts. With Terminal Keys on, Alt with any other key goes to the
// device as ESC and the key. Read from the window's actions when asked, so
// a menu added later counts.
class AltKeysTaken
{
public:
    explicit AltKeysTaken(const QWidget *window);

    // Key codes (Qt::Key_A…), as a key press reports them.
    QSet<int> keys() const;
    bool contains(int key) const { return keys().contains(key); }

private:
    const QWidget *m_window;
};
