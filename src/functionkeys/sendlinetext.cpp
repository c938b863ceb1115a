#include "sendlinetext.h"

#include "keydispatch.h"

#include <QCoreApplication>

namespace SendLineText {

QByteArray endingBytes(Ending ending)
{
    switch (ending) {
    case Ending::None: return QByteArray();
    case Ending::CR:   return QByteArrayLiteral("\r");
    case Ending::LF:   return QByteArrayLiteral("\n");
    case Ending::CRLF: return QByteArrayLiteral("\r\n");
    }
    return QByteArray();
}

QByteArray textBytes(const QString &line, Ending ending, KeyDispatch::Encoding encoding)
{
    return KeyDispatch::toPacedBytes(line, encoding) + endingBytes(ending);
}

namespace {

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("SendLineText", text);
}

} // namespace

HexResult hexBytes(const QString &text)
{
    QByteArray bytes;
    int high = -1; // the first digit of a pair, while its second is awaited
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(' ') && high < 0)
            continue;
        const int value = hexValue(c);
        if (value < 0)
            return {QByteArray(), tr("\"%1\" at column %2 is not a hex digit").arg(c).arg(i + 1)};
        if (high < 0) {
            high = value;
        } else {
            bytes.append(char(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0)
        return {QByteArray(), tr("an odd number of hex digits")};
    return {bytes, QString()};
}

} // namespace SendLineText
