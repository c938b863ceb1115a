// ZIvidView's line editing: the editor between received bytes and the
// text, the answers to the device's queries, the bell and the caret.

#include "zividview.h"

#include <QScrollBar>
#include <QTimer>


namespace {

constexpr int bellFlashMs = 150;

} // namespace

void ZIvidView::setLineEditing(bool on)
{
    if (on == lineEditing())
        return;
    if (on) {
        m_lineEditor = std::make_unique<LineEditor>(m_text);
        m_lineEditor->setColumns(m_deviceColumns);
        m_lineEditor->setUtf8(utf8());
    } else {
        m_lineEditor.reset();
        emit deviceTitleChanged(QString());
    }
    viewport()->update();
}

void ZIvidView::setDeviceColumns(int columns)
{
    m_deviceColumns = std::clamp(columns, LineEditor::minColumns, LineEditor::maxColumns);
    if (m_lineEditor)
        m_lineEditor->setColumns(m_deviceColumns);
}

void ZIvidView::receiveEdited(const QByteArray &batch, qint64 arrival)
{
    m_lineEditor->receive(batch, arrival);
    m_consoleViewport.keepSelectionBefore(m_lineEditor->rewrittenFrom());
    const QByteArray replies = m_lineEditor->takeReplies();
    if (!replies.isEmpty() && m_replySender)
        m_replySender(replies);
    if (m_lineEditor->takeBells() > 0)
        flashCaret();
    if (const std::optional<QString> title = m_lineEditor->takeTitle())
        emit deviceTitleChanged(*title);
}

// The visual bell: the caret goes out for a moment.
void ZIvidView::flashCaret()
{
    if (m_caretFlashing)
        return;
    m_caretFlashing = true;
    viewport()->update(caretRect());
    QTimer::singleShot(bellFlashMs, this, [this] {
        m_caretFlashing = false;
        viewport()->update(caretRect());
    });
}
