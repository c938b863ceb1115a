#include "keydispatch.h"

#include <Qt>

namespace KeyDispatch {

bool isIgnoredKey(int key)
{
    return (key >= Qt::Key_Escape && key <= Qt::Key_Backtab)
        || (key >= Qt::Key_Insert && key <= Qt::Key_Clear)
        || (key >= Qt::Key_Home && key <= Qt::Key_PageDown)
        || (key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock);
}

QByteArray terminalKeySequence(int key)
{
    switch (key) {
    case Qt::Key_Up: return QByteArrayLiteral("\x1b[A");
    case Qt::Key_Down: return QByteArrayLiteral("\x1b[B");
    case Qt::Key_Right: return QByteArrayLiteral("\x1b[C");
    case Qt::Key_Left: return QByteArrayLiteral("\x1b[D");
    case Qt::Key_Home: return QByteArrayLiteral("\x1b[H");
    case Qt::Key_End: return QByteArrayLiteral("\x1b[F");
    case Qt::Key_Delete: return QByteArrayLiteral("\x1b[3~");
    case Qt::Key_PageUp: return QByteArrayLiteral("\x1b[5~");
    case Qt::Key_PageDown: return QByteArrayLiteral("\x1b[6~");
    case Qt::Key_Tab: return QByteArrayLiteral("\t");
    case Qt::Key_Escape: return QByteArrayLiteral("\x1b");
    case Qt::Key_Backtab: return QByteArrayLiteral("\x1b[Z");
    default: return QByteArray();
    }
}

int functionKeyIndex(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F12 ? key - Qt::Key_F1 : -1;
}

QString functionCommand(const QString &text, bool appendCr, bool appendLf)
{
    QString command = text;
    if (appendCr && !command.contains(QLatin1Char('\r')))
        command += QLatin1Char('\r');
    if (appendLf && !command.contains(QLatin1Char('\n')))
        command += QLatin1Char('\n');
    return command;
}

namespace {

QByteArray toLatin1Bytes(const QString &text, char outsideLatin1)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = text.at(i).unicode();
        bytes[i] = unit <= 0xFF ? char(unit) : outsideLatin1;
    }
    return bytes;
}

} // namespace

QByteArray toLineBytes(const QString &text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : toLatin1Bytes(text, '?');
}

QByteArray toPacedBytes(const QString &text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : toLatin1Bytes(text, '\0');
}

} // namespace KeyDispatch
