// ZIvidView's keys: what stays with the console, what scrolls it, and
// what goes to the device as a keyInput() report.

#include "zividview.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace {

bool isModifierKey(int key)
{
    return (key >= Qt::Key_Shift && key <= Qt::Key_Alt) || key == Qt::Key_AltGr;
}

} // namespace

// The keys an editor keeps from the window's shortcuts stay with the
// console too: typing keys and the standard editing chords.
bool ZIvidView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier || key == QKeySequence::Copy
            || key == QKeySequence::Paste || key == QKeySequence::Cut || key == QKeySequence::Undo
            || key == QKeySequence::Redo || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

// Tab and Shift+Tab are keys for the device, not focus moves.
bool ZIvidView::focusNextPrevChild(bool)
{
    return false;
}

void ZIvidView::keyPressEvent(QKeyEvent *event)
{
    if (scrollByKey(event))
        return;
    if (m_terminalShortcuts && runTerminalShortcut(event))
        return;
    // Shift pressed for Shift+Page Up leaves the view where it is.
    if (!isModifierKey(event->key())) {
        m_consoleViewport.setPinned(true);
        refresh();
    }
    m_keyIsAutoRepeat = event->isAutoRepeat();
    m_keyModifiers = event->modifiers();
    emit keyInput(event->key(), event->text());
}

// Shift+Page Up and Page Down, Shift+Home and End page through the
// scrollback, as in a terminal emulator, whatever the shortcuts: they send
// nothing, and the view follows the output again only at the end.
bool ZIvidView::scrollByKey(const QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
        return false;
    QAbstractSlider::SliderAction action;
    switch (event->key()) {
    case Qt::Key_PageUp:   action = QAbstractSlider::SliderPageStepSub; break;
    case Qt::Key_PageDown: action = QAbstractSlider::SliderPageStepAdd; break;
    case Qt::Key_Home:     action = QAbstractSlider::SliderToMinimum; break;
    case Qt::Key_End:      action = QAbstractSlider::SliderToMaximum; break;
    default: return false;
    }
    if (m_refreshPending)
        refresh();
    verticalScrollBar()->triggerAction(action);
    return true;
}

bool ZIvidView::runTerminalShortcut(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const Qt::KeyboardModifiers controlShift = Qt::ControlModifier | Qt::ShiftModifier;
    if (modifiers == controlShift && event->key() == Qt::Key_C) {
        copy();
        return true;
    }
    if ((modifiers == controlShift && event->key() == Qt::Key_V)
        || (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_Insert)) {
        paste();
        return true;
    }
    return false;
}
