#include "zividview.h"

#include "consolestylesheet.h"
#include "receivedtext.h"

#include <QColorDialog>
#include <QDebug>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>

ZIvidView::ZIvidView(QWidget *parent)
    : QTextEdit(parent)
    , m_termFont(QStringLiteral("Courier New"), 10, 50, false)
    , m_fontColor(255, 255, 255, 255)
    , m_backColor(67, 136, 101, 255)
{
    setFocusPolicy(Qt::StrongFocus);
    setReadOnly(true);
    setAcceptRichText(true);
    // Editable interaction keeps Tab in the widget and shows the cursor; key
    // presses still never edit, since keyPressEvent never reaches the base.
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setUndoRedoEnabled(false);
    ensureCursorVisible();
}

void ZIvidView::pinToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End, QTextCursor::MoveAnchor);
    setTextCursor(cursor);
}

void ZIvidView::keyPressEvent(QKeyEvent *event)
{
    pinToEnd();
    ensureCursorVisible();
    emit keyInput(event->key(), event->text());
}

void ZIvidView::insertFromMimeData(const QMimeData *source)
{
    pinToEnd();
    ensureCursorVisible();
    const QString text = source->text();
    qDebug() << text;
    emit keyInput(Qt::Key_F35, text);
}

void ZIvidView::dragEnterEvent(QDragEnterEvent *) {}
void ZIvidView::dragMoveEvent(QDragMoveEvent *) {}
void ZIvidView::dragLeaveEvent(QDragLeaveEvent *) {}
void ZIvidView::dropEvent(QDropEvent *) {}

void ZIvidView::displayData(const QByteArray &data)
{
    pinToEnd();
    // The CR is still the last thing shown only if the document was not
    // cleared or edited since.
    const bool afterCr = m_endsWithCr && document()->characterCount() == m_characterCountAfterCr;
    const ReceivedText received = ReceivedText::fromBatch(data, afterCr);

    QTextCursor cursor = textCursor();
    for (int i = 0; i < received.screenErasures && cursor.position() > 0; ++i) {
        cursor.deletePreviousChar();
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    m_endsWithCr = afterCr && received.screenErasures == 0;
    if (!received.bytes.isEmpty()) {
        cursor.insertText(QString::fromLatin1(received.bytes));
        setTextCursor(cursor);
        m_endsWithCr = received.bytes.endsWith('\r');
    }
    m_characterCountAfterCr = document()->characterCount();
    ensureCursorVisible();
}

void ZIvidView::setTermFont(const QFont &font)
{
    m_termFont = font;
    applyStyleSheet();
}

void ZIvidView::setFontColor(const QColor &color)
{
    if (!color.isValid())
        return;
    m_fontColor = color;
    applyStyleSheet();
}

void ZIvidView::setBackColor(const QColor &color)
{
    m_backColor = color;
    applyStyleSheet();
}

void ZIvidView::applyStyleSheet()
{
    setStyleSheet(consoleStyleSheet(m_termFont, m_fontColor, m_backColor));
}

void ZIvidView::changeFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_termFont, this);
    if (ok)
        setTermFont(font);
}

void ZIvidView::changeFontColor()
{
    const QColor color = QColorDialog::getColor(m_fontColor, this, tr("Font color"));
    if (color.isValid())
        setFontColor(color);
}

void ZIvidView::changeBackColor()
{
    const QColor color = QColorDialog::getColor(m_backColor, this, tr("Background color"));
    if (color.isValid())
        setBackColor(color);
}
