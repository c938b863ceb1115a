#include "utf8decoder.h"

QString Utf8Decoder::toString(const char *bytes, qint64 count)
{
    QString text;
    text.reserve(int(std::min<qint64>(count, 1 << 28)));
    for (qint64 i = 0; i < count;) {
        const Decoded decoded = decode(bytes + i, count - i);
        if (decoded.status != Status::Valid) {
            text += QChar::ReplacementCharacter;
            i += 1;
        } else if (QChar::requiresSurrogates(uint(decoded.code))) {
            text += QChar(QChar::highSurrogate(uint(decoded.code)));
            text += QChar(QChar::lowSurrogate(uint(decoded.code)));
            i += decoded.length;
        } else {
            text += QChar(ushort(decoded.code));
            i += decoded.length;
        }
    }
    return text;
}
