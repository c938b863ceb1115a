#pragma once

#include <QSet>
#include <Qt>

class QWidget;

// The keys Alt belongs to in a window: its menu bar's mnemonics, its Alt
// shortcuts, and the keys set aside for menus to come. With Terminal Keys
// on, Alt with any other key goes to the device as ESC and the key.
// Read from the window's actions when asked, so a menu added later counts.
class AltKeysTaken
{
public:
    // Held back for the Device menu.
    static constexpr int reserved[] = {Qt::Key_D};

    explicit AltKeysTaken(const QWidget *window);

    // Key codes (Qt::Key_A…), as a key press reports them.
    QSet<int> keys() const;
    bool contains(int key) const { return keys().contains(key); }

private:
    const QWidget *m_window;
};
