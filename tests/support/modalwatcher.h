#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

// Standard dialogs and message boxes run their own event loop and would
// block a test until closed. While a watcher lives it looks for the active
// modal widget inside any running event loop, records what it shows and
// hands it to the action (by default: reject it).
class ModalWatcher : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void(QWidget *)>;

    explicit ModalWatcher(Action action = Action());

    int count() const { return m_count; } // modal widgets seen and handled
    QString title() const { return m_title; } // of the last one seen
    QString text() const { return m_text; }   // message box text, else empty
    QString className() const { return m_className; }

private:
    void poll();

    Action m_action;
    QTimer m_timer;
    int m_count = 0;
    QString m_title;
    QString m_text;
    QString m_className;
};
