#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ZIvidView;

// The bar under the console that finds text in it: a field, Next,
// Previous, Match case and how many matches there are. Enter finds the next
// match, Shift+Enter the previous one, and Esc closes the bar and gives the
// focus back to the console. Keys typed here never reach the device.
class FindBar : public QFrame
{
    Q_OBJECT

public:
    explicit FindBar(ZIvidView *view, QWidget *parent = nullptr);

    // Shows the bar with its field focused and its text selected; the
    // matches of that text show again.
    void open();
    // Hides the bar, stops the search and hands the focus to the console.
    void dismiss();

    QString countText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void searchAgain();
    void findNext();
    void findPrevious();
    bool ensurePattern();
    void updateCount();

    ZIvidView *m_view;
    QLineEdit *m_field;
    QPushButton *m_next;
    QPushButton *m_previous;
    QCheckBox *m_matchCase;
    QLabel *m_count;
    QToolButton *m_close;
    bool m_notFound = false;
};
