#pragma once

#include "functionkey.h"
#include "keydispatch.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

class PacedSender;

// Turns the console's key reports and pastes into bytes for the device. A
// typed key goes out at once in one write; a paste or a function-key command
// goes through the paced sender, byte by byte. Knows no port: it writes
// through the writer it is given.
class KeySender : public QObject
{
    Q_OBJECT

public:
    // Writes bytes now; false when they could not be written.
    using Writer = std::function<bool(const QByteArray &)>;
    // Whether a device is connected to write to.
    using Connected = std::function<bool()>;

    // The function-key table and the write delay, read at every send; they
    // are the settings' own and outlive the sender.
    struct Table
    {
        const FunctionKeyList &keys;
        const FunctionFlagList &crFlags;
        const FunctionFlagList &lfFlags;
        const int &delay;
    };

    KeySender(Table table, Writer write, Connected isConnected, QObject *parent = nullptr);

    // A key press with the text it typed; autoRepeat when it comes from a
    // key held down rather than pressed.
    void keyInput(int key, QString text, bool autoRepeat = false, Qt::KeyboardModifiers modifiers = {});
    // A paste; `key` is the code the console reported it with, for the log.
    void paste(int key, const QString &text);
    // A line from the send line, already in bytes: paced like a paste.
    // False when no device is connected to take it.
    bool sendLine(const QByteArray &bytes);

    // Drops the paced send in progress and the queued ones; returns how many
    // bytes were not sent.
    qint64 cancel();

    // Return and Enter send CR LF instead of their own text, unless
    // terminal keys are on.
    void setEnterWithCR(bool on) { m_enterWithCR = on; }
    bool enterWithCR() const { return m_enterWithCR; }
    // The arrows, Home, End and the like send xterm's sequences instead of
    // nothing, Return and Enter send CR alone, and Alt with a key that
    // `altTaken` does not claim sends ESC before the key's text.
    void setTerminalKeys(bool on) { m_terminalKeys = on; }
    bool terminalKeys() const { return m_terminalKeys; }
    // Typed keys, pastes and function-key commands go out as UTF-8 instead
    // of Latin-1. Terminal key sequences are ASCII either way.
    void setUtf8(bool on) { m_encoding = on ? KeyDispatch::Encoding::Utf8 : KeyDispatch::Encoding::Latin1; }
    bool utf8() const { return m_encoding == KeyDispatch::Encoding::Utf8; }
    // Whether Alt with the key belongs to the window (a menu, a shortcut):
    // such a key sends nothing.
    void setAltTaken(std::function<bool(int key)> altTaken) { m_altTaken = std::move(altTaken); }
    // Asked before every key, paste and line: a reason refuses it (nothing
    // is sent or queued) and is reported by refused(); empty lets it go.
    void setRefusal(std::function<QString()> refusal) { m_refusal = std::move(refusal); }

signals:
    // A write failed; a paced send in progress and the queued ones are
    // dropped.
    void writeFailed();
    // A key, paste or line was refused, for this reason.
    void refused(const QString &reason);

private:
    bool deviceTakes(int key, const QString &text);
    bool refuses();
    QString typedText(int key, QString text, Qt::KeyboardModifiers modifiers) const;

    Table m_table;
    Writer m_write;
    Connected m_isConnected;
    std::function<bool(int)> m_altTaken;
    std::function<QString()> m_refusal;
    PacedSender *m_pacedSender;
    bool m_enterWithCR = true;
    bool m_terminalKeys = false;
    KeyDispatch::Encoding m_encoding = KeyDispatch::Encoding::Latin1;
};
