#include "connectionbar.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

ConnectionBar::ConnectionBar(QWidget *parent)
    : QFrame(parent)
    , m_waiting(new QLabel(this))
    , m_notices(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("connectionBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    for (QLabel *label : {m_waiting, m_notices}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Selecting text to copy leaves the keys with the console.
        label->setFocusPolicy(Qt::NoFocus);
        label->setForegroundRole(QPalette::ToolTipText);
    }
    m_close->setObjectName(QStringLiteral("closeNotices"));
    m_close->setAutoRaise(true);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(tr("Close"));
    connect(m_close, &QToolButton::clicked, this, &ConnectionBar::closeNotices);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 2, 2);
    layout->addWidget(m_waiting, 0, 0);
    layout->addWidget(m_notices, 1, 0);
    layout->addWidget(m_close, 1, 1, Qt::AlignTop);
    layout->setColumnStretch(0, 1);
    updateVisibility();
}

void ConnectionBar::setWaitingText(const QString &text)
{
    m_waiting->setText(text);
    updateVisibility();
}

QString ConnectionBar::waitingText() const
{
    return m_waiting->text();
}

void ConnectionBar::addNotice(const QString &text)
{
    const QString shown = m_notices->text();
    m_notices->setText(shown.isEmpty() ? text : shown + QLatin1Char('\n') + text);
    updateVisibility();
}

QString ConnectionBar::noticeText() const
{
    return m_notices->text();
}

void ConnectionBar::closeNotices()
{
    m_notices->clear();
    updateVisibility();
}

void ConnectionBar::updateVisibility()
{
    const bool waiting = !m_waiting->text().isEmpty();
    const bool notices = !m_notices->text().isEmpty();
    m_waiting->setVisible(waiting);
    m_notices->setVisible(notices);
    m_close->setVisible(notices);
    setVisible(waiting || notices);
}
