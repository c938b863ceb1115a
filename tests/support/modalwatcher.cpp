#include "modalwatcher.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

ModalWatcher::ModalWatcher(Action action)
    : m_action(std::move(action))
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start();
}

void ModalWatcher::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    ++m_count;
    m_title = modal->windowTitle();
    m_className = QString::fromLatin1(modal->metaObject()->className());
    const auto *box = qobject_cast<QMessageBox *>(modal);
    m_text = box ? box->text() : QString();
    if (m_action)
        m_action(modal);
    else if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}
