#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

// A bar above the console for what the connection has to say without
// covering the text: what the terminal waits for while a device is away,
// and notices (a send cut short, a log that stopped) that stay until the
// user closes them. The watch's status messages cannot overwrite them.
class ConnectionBar : public QFrame
{
    Q_OBJECT

public:
    explicit ConnectionBar(QWidget *parent = nullptr);

    // Empty hides the line.
    void setWaitingText(const QString &text);
    QString waitingText() const;

    // Added below the notices already shown; all go when the user closes them.
    void addNotice(const QString &text);
    QString noticeText() const;
    void closeNotices();

private:
    void updateVisibility();

    QLabel *m_waiting;
    QLabel *m_notices;
    QToolButton *m_close;
};
