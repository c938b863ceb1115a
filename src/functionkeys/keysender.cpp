#include "keysender.h"

#include "keydispatch.h"
#include "pacedsender.h"

#include <QLoggingCategory>

#include <utility>

namespace {

// Off by default: these lines carry what the user types or pastes for the
// device, passwords included. QT_LOGGING_RULES="tarnterm.keys.debug=true"
// switches them on.
Q_LOGGING_CATEGORY(keysCategory, "tarnterm.keys", QtInfoMsg)

} // namespace

KeySender::KeySender(Table table, Writer write, Connected isConnected, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_write(std::move(write))
    , m_isConnected(std::move(isConnected))
    , m_pacedSender(new PacedSender(m_write, [this] { return m_table.delay; }, this))
{
    connect(m_pacedSender, &PacedSender::writeFailed, this, &KeySender::writeFailed);
}

void KeySender::keyInput(int key, QString text, bool autoRepeat, Qt::KeyboardModifiers modifiers)
{
    const QByteArray terminalSequence = m_terminalKeys ? KeyDispatch::terminalKeySequence(key) : QByteArray();
    if (terminalSequence.isEmpty() && KeyDispatch::isIgnoredKey(key))
        return;
    if (!deviceTakes(key, text))
        return;

    const FunctionKeyList &functionKeys = m_table.keys;
    const int index = KeyDispatch::functionKeyIndex(key);
    if (index >= 0 && index < functionKeys.size() && functionKeys.at(index).key == key) {
        const QString command = KeyDispatch::functionCommand(
            functionKeys.at(index).text, m_table.crFlags.at(index).flag, m_table.lfFlags.at(index).flag);
        qCDebug(keysCategory) << "function : " << command;
        m_pacedSender->send(KeyDispatch::toPacedBytes(command, m_encoding), true, autoRepeat);
        return;
    }

    // A terminal key goes out like a typed one: at once, in one write.
    if (!terminalSequence.isEmpty())
        text = QString::fromLatin1(terminalSequence);
    else
        text = typedText(key, std::move(text), modifiers);
    qCDebug(keysCategory) << "text2 : " << text;
    // Keys without text (F13 and up, Menu) have nothing to send.
    if (text.isEmpty())
        return;
    // Typing is never held up by a paced send: the key goes out at once.
    if (!m_write(KeyDispatch::toLineBytes(text, m_encoding)))
        emit writeFailed();
}

// What a key that types sends: Return and Enter by the mode, and with
// terminal keys, Alt as xterm's meta key sends it, ESC first.
QString KeySender::typedText(int key, QString text, Qt::KeyboardModifiers modifiers) const
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // xterm sends CR alone; a shell reads CR LF as two commands.
        if (m_terminalKeys)
            text = QStringLiteral("\r");
        else if (m_enterWithCR)
            text = QStringLiteral("\r\n");
    }
    if (!m_terminalKeys || !(modifiers & Qt::AltModifier) || text.isEmpty())
        return text;
    // Ctrl+Alt with a printable character is AltGr on Windows: a character
    // of its own, not a meta key.
    if ((modifiers & Qt::ControlModifier) && text.at(0) >= QLatin1Char(' '))
        return text;
    if (m_altTaken && m_altTaken(key))
        return QString();
    return QLatin1Char('\x1b') + text;
}

void KeySender::paste(int key, const QString &text)
{
    if (deviceTakes(key, text))
        m_pacedSender->send(KeyDispatch::toPacedBytes(text, m_encoding), false);
}

bool KeySender::sendLine(const QByteArray &bytes)
{
    if (!m_isConnected() || refuses())
        return false;
    qCDebug(keysCategory) << "line : " << bytes;
    if (!bytes.isEmpty())
        m_pacedSender->send(bytes, false);
    return true;
}

qint64 KeySender::cancel()
{
    return m_pacedSender->cancel();
}

// The console stays open for reading while no device is connected; what is
// typed there has nowhere to go.
bool KeySender::deviceTakes(int key, const QString &text)
{
    if (!m_isConnected() || refuses())
        return false;
    qCDebug(keysCategory, "keycode 0x%x delay %d", key, m_table.delay);
    qCDebug(keysCategory) << "text : " << text;
    return true;
}

bool KeySender::refuses()
{
    const QString reason = m_refusal ? m_refusal() : QString();
    if (reason.isEmpty())
        return false;
    emit refused(reason);
    return true;
}
