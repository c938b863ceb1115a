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

QByteArray toLineBytes(const QString &text)
{
    return toLatin1Bytes(text, '?');
}

QByteArray toPacedBytes(const QString &text)
{
    return toLatin1Bytes(text, '\0');
}

} // namespace KeyDispatch
