#include "receivedtext.h"

#include <cstring>

ReceivedText ReceivedText::fromBatch(const QByteArray &batch, bool afterCr)
{
    ReceivedText result;
    const char *in = batch.constData();
    const size_t size = size_t(batch.size());
    // Most batches hold neither NUL nor backspace: they come through whole.
    if (!std::memchr(in, '\0', size) && !std::memchr(in, '\b', size) && !(afterCr && batch.startsWith('\n'))) {
        result.bytes = batch;
        result.crOpen = batch.isEmpty() ? afterCr : batch.endsWith('\r');
        return result;
    }

    result.bytes.resize(batch.size());
    char *const begin = result.bytes.data();
    char *out = begin;
    bool atStart = true;
    // The LF that completes the CR shown last: it adds nothing, but it is
    // still this batch's byte for a backspace to take back.
    bool absorbedLf = false;
    for (size_t i = 0; i < size; ++i) {
        const char byte = in[i];
        switch (byte) {
        case '\0':
            continue;
        case '\b':
            if (out > begin)
                --out;
            else if (absorbedLf)
                absorbedLf = false;
            else
                ++result.screenErasures;
            break;
        case '\n':
            if (atStart && afterCr)
                absorbedLf = true;
            else
                *out++ = byte;
            break;
        default:
            *out++ = byte;
        }
        atStart = false;
    }
    result.bytes.truncate(int(out - begin));
    if (!result.bytes.isEmpty())
        result.crOpen = result.bytes.endsWith('\r');
    else
        result.crOpen = afterCr && result.screenErasures == 0 && !absorbedLf;
    return result;
}
