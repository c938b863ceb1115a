#include "receivedtext.h"

ReceivedText ReceivedText::fromBatch(const QByteArray &batch, bool afterCr)
{
    ReceivedText result;
    result.bytes.reserve(batch.size());
    bool atStart = true;
    // The LF that completes the CR shown last: it adds nothing, but it is
    // still this batch's byte for a backspace to take back.
    bool absorbedLf = false;
    for (char byte : batch) {
        switch (byte) {
        case '\0':
            continue;
        case '\b':
            if (!result.bytes.isEmpty())
                result.bytes.chop(1);
            else if (absorbedLf)
                absorbedLf = false;
            else
                ++result.screenErasures;
            break;
        case '\n':
            if (atStart && afterCr)
                absorbedLf = true;
            else
                result.bytes.append(byte);
            break;
        default:
            result.bytes.append(byte);
        }
        atStart = false;
    }
    if (!result.bytes.isEmpty())
        result.crOpen = result.bytes.endsWith('\r');
    else
        result.crOpen = afterCr && result.screenErasures == 0 && !absorbedLf;
    return result;
}
