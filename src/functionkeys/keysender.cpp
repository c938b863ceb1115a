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

void KeySender::keyInput(int key, QString text, bool autoRepeat)
{
    const QByteArray terminalSequence = m_terminalKeys ? KeyDispatch::terminalKeySequence(key) : QByteArray();
    if (terminalSequence.isEmpty() && KeyDispatch::isIgnoredKey(key))
        return;
    if (!deviceTakes(key, text))
        return;

    // A terminal key goes out like a typed one: at once, in one write.
    if (!terminalSequence.isEmpty())
        text = QString::fromLatin1(terminalSequence);

    const FunctionKeyList &functionKeys = m_table.keys;
    const int index = KeyDispatch::functionKeyIndex(key);
    if (index >= 0 && index < functionKeys.size() && functionKeys.at(index).key == key) {
        const QString command = KeyDispatch::functionCommand(
            functionKeys.at(index).text, m_table.crFlags.at(index).flag, m_table.lfFlags.at(index).flag);
        qCDebug(keysCategory) << "function : " << command;
        m_pacedSender->send(KeyDispatch::toPacedBytes(command), true, autoRepeat);
        return;
    }

    if (m_enterWithCR && (key == Qt::Key_Return || key == Qt::Key_Enter))
        text = QStringLiteral("\r\n");
    qCDebug(keysCategory) << "text2 : " << text;
    // Keys without text (F13 and up, Menu) have nothing to send.
    if (text.isEmpty())
        return;
    // Typing is never held up by a paced send: the key goes out at once.
    if (!m_write(KeyDispatch::toLineBytes(text)))
        emit writeFailed();
}

void KeySender::paste(int key, const QString &text)
{
    if (deviceTakes(key, text))
        m_pacedSender->send(KeyDispatch::toPacedBytes(text), false);
}

bool KeySender::sendLine(const QByteArray &bytes)
{
    if (!m_isConnected())
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
bool KeySender::deviceTakes(int key, const QString &text) const
{
    if (!m_isConnected())
        return false;
    qCDebug(keysCategory, "keycode 0x%x delay %d", key, m_table.delay);
    qCDebug(keysCategory) << "text : " << text;
    return true;
}
