#include "receivedtext.h"

ReceivedText ReceivedText::fromBatch(const QByteArray &batch, bool afterCr)
{
    ReceivedText result;
    result.bytes.reserve(batch.size());
    bool atStart = true;
    for (char byte : batch) {
        switch (byte) {
        case '\0':
            continue;
        case '\b':
            if (result.bytes.isEmpty())
                ++result.screenErasures;
            else
                result.bytes.chop(1);
            break;
        case '\n':
            if (!(atStart && afterCr))
                result.bytes.append(byte);
            break;
        default:
            result.bytes.append(byte);
        }
        atStart = false;
    }
    return result;
}
