#include "findbar.h"

#include "textsearch.h"
#include "zividview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <initializer_list>

FindBar::FindBar(ZIvidView *view, QWidget *parent)
    : QFrame(parent)
    , m_view(view)
    , m_field(new QLineEdit(this))
    , m_next(new QPushButton(tr("Next"), this))
    , m_previous(new QPushButton(tr("Previous"), this))
    , m_matchCase(new QCheckBox(tr("Match case"), this))
    , m_count(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("findBar"));
    m_field->setObjectName(QStringLiteral("findField"));
    m_field->setPlaceholderText(tr("Find"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_next->setObjectName(QStringLiteral("findNext"));
    m_previous->setObjectName(QStringLiteral("findPrevious"));
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_count->setObjectName(QStringLiteral("findCount"));
    m_count->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000 of 0000000")));
    m_close->setObjectName(QStringLiteral("findClose"));
    m_close->setAutoRaise(true);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(tr("Close"));
    // A click leaves the focus in the field, so Enter keeps finding; Tab
    // still reaches them.
    for (QWidget *widget : std::initializer_list<QWidget *> {m_next, m_previous, m_matchCase, m_close})
        widget->setFocusPolicy(Qt::TabFocus);
    m_next->setAutoDefault(false);
    m_previous->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_previous);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_count);
    layout->addWidget(m_close);

    TextSearch *search = m_view->search();
    connect(m_field, &QLineEdit::textChanged, this, &FindBar::searchAgain);
    connect(m_matchCase, &QCheckBox::toggled, this, &FindBar::searchAgain);
    connect(m_next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::dismiss);
    connect(search, &TextSearch::progress, this, &FindBar::updateCount);
    connect(search, &TextSearch::found, this, [this] {
        m_notFound = false;
        updateCount();
    });
    connect(search, &TextSearch::notFound, this, [this] {
        m_notFound = true;
        updateCount();
    });
    hide();
}

void FindBar::open()
{
    show();
    m_view->setFindOpen(true);
    ensurePattern();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::dismiss()
{
    hide();
    m_view->search()->setPattern(QString(), Qt::CaseSensitive);
    m_view->setFindOpen(false);
    m_view->setFocus(Qt::OtherFocusReason);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                findPrevious();
            else
                findNext();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

// Esc from the bar's buttons too, which pass it on.
void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        dismiss();
    else
        QFrame::keyPressEvent(event);
}

// Each character typed looks again from the match shown, so a longer
// pattern mostly keeps it; with none shown, from the top of the screen.
void FindBar::searchAgain()
{
    if (!isVisible())
        return;
    TextSearch *search = m_view->search();
    const qint64 from = search->current().isValid() ? search->current().from : m_view->firstVisiblePosition();
    m_notFound = false;
    if (!ensurePattern())
        search->findForward(from);
    updateCount();
}

// True when the search already had the field's text.
bool FindBar::ensurePattern()
{
    TextSearch *search = m_view->search();
    const Qt::CaseSensitivity cs = m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (search->pattern() == m_field->text() && search->caseSensitivity() == cs)
        return true;
    search->setPattern(m_field->text(), cs);
    return false;
}

void FindBar::findNext()
{
    ensurePattern();
    m_view->search()->findNext(m_view->firstVisiblePosition());
}

void FindBar::findPrevious()
{
    ensurePattern();
    m_view->search()->findPrevious(m_view->firstVisiblePosition());
}

// A new pattern, or the text read in another encoding, counts again.
void FindBar::updateCount()
{
    m_count->setText(countText());
    // Folding a UTF-8 byte as a Latin-1 letter would match another character.
    m_matchCase->setToolTip(m_view->utf8() ? tr("Off, A to Z match a to z; other letters match only as typed (UTF-8)")
                                           : tr("Off, letters match in either case"));
}

QString FindBar::countText() const
{
    const TextSearch *search = m_view->search();
    if (!search->isActive())
        return QString();
    if (!search->isCounted())
        return tr("counting\u2026");
    const qint64 count = search->matchCount();
    if (count == 0)
        return m_notFound || !search->isFinding() ? tr("No matches") : QString();
    if (search->current().isValid() && search->currentIndex() > 0)
        return tr("%1 of %2").arg(search->currentIndex()).arg(count);
    return count == 1 ? tr("1 match") : tr("%1 matches").arg(count);
}
