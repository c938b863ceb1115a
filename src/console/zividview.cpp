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
    displayBatches({data});
}

namespace {

// The text QTextCursor::insertText would make of bytes: CR LF, a lone CR and
// a lone LF each become the one character that ends a paragraph. Text held
// in this form can be shortened by one character exactly as
// deletePreviousChar() shortens the document.
QString documentText(const QByteArray &bytes)
{
    QString text = QString::fromLatin1(bytes);
    QChar *out = text.data();
    const QChar *in = text.constData();
    const QChar *end = in + text.size();
    while (in < end) {
        const QChar c = *in++;
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && in < end && *in == QLatin1Char('\n'))
                ++in;
            *out++ = QChar::ParagraphSeparator;
        } else {
            *out++ = c;
        }
    }
    text.truncate(int(out - text.constData()));
    return text;
}

} // namespace

// Each insertion lays out the last paragraph again, so the batches are first
// put together in `pending`, which stands for text already at the end of the
// document: a backspace takes back from it before it erases on the screen.
void ZIvidView::displayBatches(const QList<QByteArray> &batches)
{
    pinToEnd();
    QTextCursor cursor = textCursor();
    QString pending;
    const auto characterCount = [&] { return document()->characterCount() + pending.size(); };
    for (const QByteArray &batch : batches) {
        // The CR is still the last thing shown only if the document was not
        // cleared or edited since.
        const bool afterCr = m_endsWithCr && characterCount() == m_characterCountAfterCr;
        const ReceivedText received = ReceivedText::fromBatch(batch, afterCr);
        for (int i = 0; i < received.screenErasures; ++i) {
            if (!pending.isEmpty()) {
                pending.chop(1);
            } else if (cursor.position() > 0) {
                cursor.deletePreviousChar();
                setTextCursor(cursor);
                ensureCursorVisible();
            } else {
                break;
            }
        }
        m_endsWithCr = afterCr && received.screenErasures == 0;
        if (!received.bytes.isEmpty()) {
            pending += documentText(received.bytes);
            m_endsWithCr = received.bytes.endsWith('\r');
        }
        m_characterCountAfterCr = characterCount();
    }
    if (!pending.isEmpty()) {
        cursor.insertText(pending);
        setTextCursor(cursor);
    }
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
