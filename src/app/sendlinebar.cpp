#include "sendlinebar.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <utility>

using SendLineText::Ending;

SendLineBar::SendLineBar(Sender send, QWidget *parent)
    : QWidget(parent)
    , m_send(std::move(send))
    , m_edit(new QLineEdit(this))
    , m_hex(new QCheckBox(tr("Hex"), this))
    , m_ending(new QComboBox(this))
    , m_error(new QLabel(this))
    , m_clearHistory(new QAction(tr("Clear History"), this))
{
    setObjectName(QStringLiteral("sendLineBar"));
    m_edit->setObjectName(QStringLiteral("sendLineEdit"));
    m_edit->setPlaceholderText(tr("Line to send; Enter sends it"));
    m_edit->setClearButtonEnabled(true);
    m_edit->installEventFilter(this);
    m_edit->setContextMenuPolicy(Qt::CustomContextMenu);
    m_hex->setObjectName(QStringLiteral("sendLineHex"));
    m_hex->setToolTip(tr("Pairs of hex digits, sent as those bytes without an ending"));
    m_ending->setObjectName(QStringLiteral("sendLineEnding"));
    m_ending->addItems({tr("None"), tr("CR"), tr("LF"), tr("CR LF")});
    m_ending->setToolTip(tr("Line ending"));
    m_error->setObjectName(QStringLiteral("sendLineError"));
    m_error->setTextFormat(Qt::PlainText);
    m_error->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_error->hide();
    m_clearHistory->setObjectName(QStringLiteral("actionClear_History"));
    setEnding(Ending::CRLF);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_error);
    layout->addWidget(m_hex);
    layout->addWidget(m_ending);

    connect(m_edit, &QLineEdit::returnPressed, this, &SendLineBar::sendLine);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { showError(QString()); });
    connect(m_edit, &QLineEdit::customContextMenuRequested, this, &SendLineBar::showContextMenu);
    connect(m_hex, &QCheckBox::toggled, this, [this](bool on) {
        m_ending->setEnabled(!on);
        showError(QString());
    });
    connect(m_ending, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SendLineBar::endingChanged);
    // A password typed here would otherwise stay in the settings.
    connect(m_clearHistory, &QAction::triggered, this, [this] {
        m_history.clear();
        emit historyChanged();
    });
}

void SendLineBar::setHistory(const QStringList &lines)
{
    m_history.setLines(lines);
}

Ending SendLineBar::ending() const
{
    return Ending(m_ending->currentIndex());
}

void SendLineBar::setEnding(Ending ending)
{
    m_ending->setCurrentIndex(int(ending));
}

void SendLineBar::setHexMode(bool on)
{
    m_hex->setChecked(on);
}

void SendLineBar::setUtf8(bool on)
{
    m_encoding = on ? KeyDispatch::Encoding::Utf8 : KeyDispatch::Encoding::Latin1;
}

QString SendLineBar::error() const
{
    return m_error->text();
}

void SendLineBar::sendLine()
{
    const QString line = m_edit->text();
    QByteArray bytes;
    if (m_hex->isChecked()) {
        const SendLineText::HexResult hex = SendLineText::hexBytes(line);
        if (!hex.error.isEmpty()) {
            showError(hex.error);
            return;
        }
        bytes = hex.bytes;
    } else {
        bytes = SendLineText::textBytes(line, ending(), m_encoding);
    }
    if (!m_send(bytes))
        return;
    if (!line.isEmpty()) {
        m_history.add(line);
        emit historyChanged();
    }
    m_edit->clear();
}

bool SendLineBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
            m_edit->setText(m_history.older(m_edit->text()));
            return true;
        case Qt::Key_Down:
            m_edit->setText(m_history.newer(m_edit->text()));
            return true;
        case Qt::Key_Escape:
            emit escapePressed();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SendLineBar::showError(const QString &reason)
{
    m_error->setText(reason);
    m_error->setVisible(!reason.isEmpty());
    m_edit->setStyleSheet(reason.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #ffc8c8; }"));
    m_edit->setToolTip(reason);
}

void SendLineBar::showContextMenu(const QPoint &pos)
{
    QMenu *menu = m_edit->createStandardContextMenu();
    menu->addSeparator();
    m_clearHistory->setEnabled(!m_history.lines().isEmpty());
    menu->addAction(m_clearHistory);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_edit->mapToGlobal(pos));
}
