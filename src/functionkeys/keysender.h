#pragma once

#include "functionkey.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

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
    void keyInput(int key, QString text, bool autoRepeat = false);
    // A paste; `key` is the code the console reported it with, for the log.
    void paste(int key, const QString &text);
    // A line from the send line, already in bytes: paced like a paste.
    // False when no device is connected to take it.
    bool sendLine(const QByteArray &bytes);

    // Drops the paced send in progress and the queued ones; returns how many
    // bytes were not sent.
    qint64 cancel();

    // Return and Enter send CR LF instead of their own text.
    void setEnterWithCR(bool on) { m_enterWithCR = on; }
    bool enterWithCR() const { return m_enterWithCR; }
    // The arrows, Home, End and the like send xterm's sequences instead of
    // nothing.
    void setTerminalKeys(bool on) { m_terminalKeys = on; }
    bool terminalKeys() const { return m_terminalKeys; }

signals:
    // A write failed; a paced send in progress and the queued ones are
    // dropped.
    void writeFailed();

private:
    bool deviceTakes(int key, const QString &text) const;

    Table m_table;
    Writer m_write;
    Connected m_isConnected;
    PacedSender *m_pacedSender;
    bool m_enterWithCR = true;
    bool m_terminalKeys = false;
};
