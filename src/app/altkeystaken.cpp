#include "altkeystaken.h"

#include "qtcompat.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

// The key of a one-key sequence held with Alt alone; 0 for any other.
int altKey(const QKeySequence &sequence)
{
    if (sequence.count() != 1)
        return 0;
    const int combination = QtCompat::combinedKey(sequence, 0);
    const int modifiers = combination & int(Qt::KeyboardModifierMask);
    return modifiers == int(Qt::AltModifier) ? combination & ~int(Qt::KeyboardModifierMask) : 0;
}

} // namespace

AltKeysTaken::AltKeysTaken(const QWidget *window)
    : m_window(window)
{
}

QSet<int> AltKeysTaken::keys() const
{
    QSet<int> taken;
    for (const QAction *action : m_window->findChildren<QAction *>()) {
        for (const QKeySequence &shortcut : action->shortcuts()) {
            if (const int key = altKey(shortcut))
                taken.insert(key);
        }
    }
    // A menu bar's entries open with Alt and their underlined letter.
    for (const QMenuBar *bar : m_window->findChildren<QMenuBar *>()) {
        for (const QAction *entry : bar->actions()) {
            if (const int key = altKey(QKeySequence::mnemonic(entry->text())))
                taken.insert(key);
        }
    }
    return taken;
}
