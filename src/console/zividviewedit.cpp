// ZIvidView's editing: selecting with the mouse, the clipboard, Cut and
// Delete, the context menu, and the text written out.

#include "zividview.h"

#include "consoleexport.h"
#include "utf8decoder.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// Off by default: it carries what the user pastes for the device.
Q_LOGGING_CATEGORY(consoleLog, "tarnterm.console", QtInfoMsg)

} // namespace

void ZIvidView::selectTo(qint64 position)
{
    m_consoleViewport.setCursor(position);
    viewport()->update();
}

void ZIvidView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qint64 position = positionAt(event->pos());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_consoleViewport.setAnchor(position);
    m_selecting = true;
    selectTo(position);
}

void ZIvidView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the top or bottom edge scrolls a row at a time.
    if (event->pos().y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->pos().y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    selectTo(positionAt(event->pos()));
}

// A middle click pastes the primary selection, as X11 programs do.
void ZIvidView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && m_primarySelection) {
        const QString text = m_primarySelection();
        if (!text.isEmpty())
            sendPaste(text);
        return;
    }
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto [from, to] = m_consoleViewport.selection();
    if (clipboard->supportsSelection() && to > from && to - from <= clipboardLimit)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ZIvidView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_consoleViewport.selectWordAt(positionAt(event->pos()));
    viewport()->update();
}

QString ZIvidView::toPlainText() const
{
    if (m_text.size() > maxStringSize) {
        qCWarning(consoleLog) << "text of" << m_text.size() << "characters is too long for a string";
        return {};
    }
    return ConsoleExport::toPlainText(m_text);
}

// Escaping takes up to six characters for one.
QString ZIvidView::toHtml() const
{
    if (m_text.size() > maxStringSize / 6) {
        qCWarning(consoleLog) << "text of" << m_text.size() << "characters is too long for a string";
        return {};
    }
    return ConsoleExport::toHtml(m_text);
}

// None while the gutter shows no times.
TextExporter::LinePrefix ZIvidView::capturePrefix() const
{
    const TimestampMode mode = timestampMode();
    if (mode == TimestampMode::Off)
        return {};
    return [this, mode](qint64 line) {
        const QString label = lineTimeLabel(mode, m_text.lineTime(line),
                                            line > 0 ? m_text.lineTime(line - 1) : std::nullopt);
        return label.isEmpty() ? QByteArray() : label.toLatin1() + ' ';
    };
}

TextExporter ZIvidView::captureExporter(TextExporter::Format format) const
{
    return TextExporter::whole(m_text, format, capturePrefix());
}

TextExporter ZIvidView::selectionExporter() const
{
    const auto [from, to] = m_consoleViewport.selection();
    return TextExporter::range(m_text, from, to);
}

bool ZIvidView::writePlainText(QIODevice *device) const
{
    return ConsoleExport::writePlainText(m_text, device, capturePrefix());
}

bool ZIvidView::writeHtml(QIODevice *device) const
{
    return ConsoleExport::writeHtml(m_text, device, capturePrefix());
}

QString ZIvidView::selectedText() const
{
    const auto [from, to] = m_consoleViewport.selection();
    // Past what one string holds, the selection is saved, not copied.
    if (to - from > std::min<qint64>(maxStringSize, ConsoleText::maxArraySize)) {
        qCWarning(consoleLog) << "selection of" << to - from << "characters is too long for a string";
        return {};
    }
    const QByteArray bytes = m_text.mid(from, to - from);
    return m_text.utf8() ? Utf8Decoder::toString(bytes.constData(), bytes.size()) : QString::fromLatin1(bytes);
}

bool ZIvidView::writePlainText(QIODevice *device, qint64 from, qint64 to) const
{
    return ConsoleExport::writePlainText(m_text, device, from, to);
}

bool ZIvidView::writeSelection(QIODevice *device) const
{
    const auto [from, to] = m_consoleViewport.selection();
    return writePlainText(device, from, to);
}

void ZIvidView::setLargeSelectionSaver(SelectionSaver saver)
{
    m_largeSelectionSaver = std::move(saver);
}

void ZIvidView::selectAll()
{
    m_consoleViewport.setAnchor(0);
    selectTo(m_text.size());
}

void ZIvidView::copy()
{
    const auto [from, to] = m_consoleViewport.selection();
    if (to - from > clipboardLimit) {
        if (m_largeSelectionSaver)
            m_largeSelectionSaver(to - from, {});
        return;
    }
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

// A selection that went nowhere is not deleted. A saved one is deleted once
// the file holds it; the save stops if the text before its end is changed
// meanwhile, so [from, to) is still the text saved.
void ZIvidView::cut()
{
    const auto [from, to] = m_consoleViewport.selection();
    if (to - from <= clipboardLimit) {
        copy();
        removeText(from, to);
    } else if (m_largeSelectionSaver) {
        m_largeSelectionSaver(to - from, [this, from = from, to = to] { removeText(from, to); });
    }
}

void ZIvidView::deleteSelection()
{
    const auto [from, to] = m_consoleViewport.selection();
    removeText(from, to);
}

void ZIvidView::removeText(qint64 from, qint64 to)
{
    m_text.remove(from, to);
    m_consoleViewport.select(from, from);
    updateRows();
    scheduleRefresh();
}

void ZIvidView::paste()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    sendPaste(mime->text());
}

void ZIvidView::setPrimarySelectionProvider(std::function<QString()> provider)
{
    m_primarySelection = std::move(provider);
}

void ZIvidView::sendPaste(const QString &text)
{
    m_consoleViewport.setPinned(true);
    refresh();
    qCDebug(consoleLog) << text;
    emit keyInput(pasteKey, text);
}

QMenu *ZIvidView::createStandardContextMenu()
{
    auto *menu = new QMenu(this);
    // Measured, not copied: a selection can be the whole of a long session.
    const auto [from, to] = m_consoleViewport.selection();
    const bool selected = to > from;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    menu->addAction(tr("Cu&t"), this, &ZIvidView::cut)->setEnabled(selected);
    menu->addAction(tr("&Copy"), this, &ZIvidView::copy)->setEnabled(selected);
    menu->addAction(tr("&Paste"), this, &ZIvidView::paste)->setEnabled(mime && mime->hasText());
    menu->addAction(tr("Delete"), this, &ZIvidView::deleteSelection)->setEnabled(selected);
    menu->addSeparator();
    menu->addAction(tr("Select All"), this, &ZIvidView::selectAll)->setEnabled(!isEmpty());
    return menu;
}

void ZIvidView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

