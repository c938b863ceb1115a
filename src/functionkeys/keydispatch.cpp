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

QByteArray toLineBytes(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = text.at(i).unicode();
        bytes[i] = unit <= 0xFF ? char(unit) : '?';
    }
    return bytes;
}

} // namespace KeyDispatch
