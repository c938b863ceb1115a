#pragma once

#include "consolepainter.h"
#include "consolerows.h"
#include "consoletext.h"
#include "consoleviewport.h"
#include "lineeditor.h"
#include "linetimelabel.h"
#include "textexporter.h"
#include "textsearch.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>

#include <functional>
#include <limits>
#include <memory>
#include <utility>

class AppearancePicker;
class HoldMarker;
class QIODevice;
class QMenu;

// The terminal's screen. Every key press and paste becomes one keyInput()
// signal and never edits the text; received bytes are shown by displayData().
//
// A view of its own over ConsoleText rather than a text editor: it keeps
// every byte at about one byte of memory each and lays out only the rows on
// screen, so appending, resizing and scrolling cost the same at a gigabyte
// as at a kilobyte. The vertical scroll bar counts rows.
class ZIvidView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ZIvidView(QWidget *parent = nullptr);

    // The lines the data starts began now, or at `arrival` (milliseconds
    // since the epoch).
    void displayData(const QByteArray &data);
    void displayData(const QByteArray &data, qint64 arrival);
    // Shows several batches, oldest first, exactly as one displayData() call
    // per batch would; each at its arrival, or now where none is given.
    void displayBatches(const QList<QByteArray> &batches, const QList<qint64> &arrivals = {});
    // Clears the text and its marks, and gives the memory back.
    void clear();
    // Marks the end of the text with a row of its own, "— disconnected
    // hh:mm:ss —", that is not part of the text; backspaces received after
    // it stop there. An unfinished line before it ends there: the text
    // gets a line break.
    void markDisconnected(const QTime &time);
    bool isEmpty() const { return m_text.size() == 0; }
    // Characters shown, each line break one.
    qint64 textSize() const { return m_text.size(); }

    // The most characters one QString holds; toPlainText(), toHtml() and
    // selectedText() give an empty string for more (the file writers below
    // have no limit).
    static constexpr qint64 maxStringSize = (qint64(std::numeric_limits<int>::max()) - 64) / 2;
    // The largest selection copy() puts on the clipboard and a mouse
    // selection on the primary selection: a session can hold gigabytes.
    static constexpr qint64 clipboardLimit = qint64(64) << 20;

    QString toPlainText() const;
    QString toHtml() const;
    // Stream the text into a file a chunk at a time, each line after its
    // time while the gutter shows times; false when a write failed.
    bool writePlainText(QIODevice *device) const;
    bool writeHtml(QIODevice *device) const;
    // Streams the characters in [from, to), a chunk at a time.
    bool writePlainText(QIODevice *device, qint64 from, qint64 to) const;

    QString selectedText() const;
    // Streams the selection into a file a chunk at a time; false when a write failed.
    bool writeSelection(QIODevice *device) const;
    void selectAll();
    // A selection above clipboardLimit is not copied: it goes to the saver.
    void copy();
    // Saves a selection too large for the clipboard, given its size, and
    // calls `saved` (when given) once the file holds it: Cut deletes the
    // selection only then. Without one such a selection goes nowhere.
    using SelectionSaver = std::function<void(qint64 size, std::function<void()> saved)>;
    void setLargeSelectionSaver(SelectionSaver saver);
    void cut();
    void deleteSelection();
    // Sends the clipboard's text as one paste.
    void paste();
    // What a middle click pastes: by default the primary selection where
    // the platform has one (X11), and nothing where it has none.
    void setPrimarySelectionProvider(std::function<QString()> provider);
    // Cut, Copy, Paste, Delete, Select All, without shortcuts: the keys go
    // to the device.
    QMenu *createStandardContextMenu();
    // Ctrl+Shift+C copies, Ctrl+Shift+V and Shift+Insert paste, as in a
    // terminal emulator; off, those keys go to the device like any other.
    // Shift+Page Up, Page Down, Home and End scroll the view either way.
    void setTerminalShortcuts(bool on) { m_terminalShortcuts = on; }

    // While held, received data no longer pulls the view to the end; a
    // marker counts the lines below the screen. A key press still goes to
    // the end, and so does letting go.
    void setHoldOutput(bool on);
    bool holdOutput() const { return m_consoleViewport.hold(); }
    // Lines of text below the last one on screen.
    qint64 linesBelow() const;

    // The gutter left of the text: a time for each line, or none.
    void setTimestampMode(TimestampMode mode);
    TimestampMode timestampMode() const { return m_consoleViewport.timestampMode(); }
    // What the gutter shows for the line; empty when it shows nothing.
    QString timestampLabel(qint64 line) const;
    qint64 lineCount() const { return m_text.lineCount(); }

    const QFont &termFont() const { return m_termFont; }
    const QColor &fontColor() const { return m_fontColor; }
    const QColor &backColor() const { return m_backColor; }
    void setTermFont(const QFont &font);
    void setFontColor(const QColor &color);
    void setBackColor(const QColor &color);
    // What the text is drawn in: the chosen font, or the system's fixed-width
    // font when the chosen family is not installed.
    const QFont &drawingFont() const { return m_painter.font(); }
    // What changeFont(), changeFontColor() and changeBackColor() ask; with
    // none they do nothing.
    void setAppearancePicker(std::shared_ptr<AppearancePicker> picker);

    // Find over the text; its matches are drawn while find is open.
    TextSearch *search() const { return m_search; }
    // While open, received data does not move the view (a key press still
    // brings it to the end), and the view shows each match found.
    void setFindOpen(bool open);
    bool isFindOpen() const { return m_consoleViewport.findOpen(); }
    // Where the text on screen begins: a search starts there.
    qint64 firstVisiblePosition() const;
    // Colour sequences from the device are drawn as colour instead of as
    // characters; the text keeps them.
    void setDeviceColours(bool on);
    bool deviceColours() const { return m_text.colours() != nullptr; }
    // Whether [from, to) of the text holds a byte of a colour sequence, which
    // is not drawn; never with device colours off.
    bool overlapsHiddenSequence(qint64 from, qint64 to) const { return m_text.overlapsHiddenSequence(from, to); }
    // The received bytes are read as UTF-8: a character of several bytes is
    // drawn as one, wide ones in two cells, and a byte that is no UTF-8 as
    // its hex digits. Off, every byte is a Latin-1 character. The text
    // keeps the bytes either way.
    void setUtf8(bool on);
    bool utf8() const { return m_text.utf8(); }

    // Line editing: the device's cursor moves and edits apply to the last
    // line as on a terminal W (deviceColumns()) cells wide, other sequences
    // are hidden, and the caret stands at the device's cursor. Off, the
    // byte rules hold. Either way only bytes received afterwards change.
    void setLineEditing(bool on);
    bool lineEditing() const { return m_lineEditor != nullptr; }
    void setDeviceColumns(int columns);
    int deviceColumns() const { return m_deviceColumns; }
    // Where answers to the device's queries go (the port's writer).
    void setReplySender(std::function<void(const QByteArray &)> sender) { m_replySender = std::move(sender); }

    // The key code keyInput() reports a paste with.
    static constexpr int pasteKey = Qt::Key_F35;
    // Whether the key press keyInput() reports comes from a key held down.
    bool keyIsAutoRepeat() const { return m_keyIsAutoRepeat; }
    // The modifiers held with it.
    Qt::KeyboardModifiers keyModifiers() const { return m_keyModifiers; }

    // The capture, or the selection, as a save writes it a piece at a time:
    // each line of the capture after its time while the gutter shows times
    // (the times stay as they are when the gutter changes meanwhile).
    TextExporter captureExporter(TextExporter::Format format) const;
    TextExporter selectionExporter() const;

signals:
    void keyInput(int, QString);
    // Text before the end of the text was changed or taken out from `from`
    // on (a Backspace, Delete, Cut, Clear, device colours): a save of it in
    // progress is no longer true to the text.
    void textRewritten(qint64 from);
    // The title the device set (OSC 0 or 2) while line editing; empty when
    // it goes off.
    void deviceTitleChanged(const QString &title);

public slots:
    void changeFont();
    void changeFontColor();
    void changeBackColor();

protected:
    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void appendBatch(const QByteArray &batch, qint64 arrival);
    void removeText(qint64 from, qint64 to);
    void receiveEdited(const QByteArray &batch, qint64 arrival);
    void flashCaret();
    void sendPaste(const QString &text);
    QRect caretRect() const;
    bool scrollByKey(const QKeyEvent *event);
    bool runTerminalShortcut(const QKeyEvent *event);
    void applyStyleSheet();
    void applyFont();
    void pinToEnd();
    void followOutput();
    void updateHoldMarker();
    void scheduleRefresh();
    void updateRows();
    void refresh();
    void updateColumns();
    void keepTopLine(qint64 topLine);
    // Applies a change to how the text is drawn and lays it out again.
    void relayOutKeepingTopLine(const std::function<void()> &change);
    int pageRows() const;
    TextExporter::LinePrefix capturePrefix() const;
    qint64 positionAt(const QPoint &point) const;
    void selectTo(qint64 position);
    void setUpFind();
    void showMatch(qint64 from);
    void collectVisibleMatches(qint64 firstRow, qint64 endRow);

    QFont m_termFont;
    QColor m_fontColor;
    QColor m_backColor;

    ConsoleText m_text;
    ConsoleRows m_rows;
    ConsoleViewport m_consoleViewport;
    ConsolePainter m_painter;

    // The first row whose text changed since the last refresh.
    qint64 m_changedFromRow = 0;
    bool m_refreshPending = false;
    bool m_keyIsAutoRepeat = false;
    Qt::KeyboardModifiers m_keyModifiers;
    bool m_selecting = false;
    bool m_terminalShortcuts = false;
    HoldMarker *m_holdMarker = nullptr;
    SelectionSaver m_largeSelectionSaver;
    std::function<QString()> m_primarySelection;
    std::shared_ptr<AppearancePicker> m_appearancePicker;

    std::unique_ptr<LineEditor> m_lineEditor;
    int m_deviceColumns = LineEditor::defaultColumns;
    std::function<void(const QByteArray &)> m_replySender;
    bool m_caretFlashing = false;

    TextSearch *m_search = nullptr;
    // The matches on screen, found once per paint.
    std::vector<TextSearch::Match> m_visibleMatches;
};
