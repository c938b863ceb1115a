#pragma once

#include "sendhistory.h"
#include "sendlinetext.h"

#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// A line editor under the console: what is typed there stays there until
// Enter sends it, with the chosen ending or as hex bytes. Up and Down walk
// the lines sent before; Esc hands the keys back to the console.
class SendLineBar : public QWidget
{
    Q_OBJECT

public:
    // Takes the bytes to send; false when nothing is connected to take them.
    using Sender = std::function<bool(const QByteArray &)>;

    explicit SendLineBar(Sender send, QWidget *parent = nullptr);

    QLineEdit *lineEdit() const { return m_edit; }
    QAction *clearHistoryAction() const { return m_clearHistory; }

    QStringList history() const { return m_history.lines(); }
    void setHistory(const QStringList &lines);
    SendLineText::Ending ending() const;
    void setEnding(SendLineText::Ending ending);
    void setHexMode(bool on);
    // Text mode sends the line as UTF-8 instead of Latin-1; hex mode is
    // bytes either way.
    void setUtf8(bool on);
    // Why the line was not sent; empty while it is fine.
    QString error() const;

    // Sends the line as Enter does.
    void sendLine();

signals:
    void historyChanged();
    void endingChanged();
    void escapePressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showError(const QString &reason);
    void showContextMenu(const QPoint &pos);

    Sender m_send;
    SendHistory m_history;
    QLineEdit *m_edit;
    QCheckBox *m_hex;
    QComboBox *m_ending;
    QLabel *m_error;
    QAction *m_clearHistory;
    KeyDispatch::Encoding m_encoding = KeyDispatch::Encoding::Latin1;
};
