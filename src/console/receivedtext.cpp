#include "receivedtext.h"

#include "utf8decoder.h"

#include <cstring>

namespace {

// Where the UTF-8 character ending at `end` starts: its lead, when a valid
// sequence ends there, else the byte before.
const char *characterStart(const char *begin, const char *end)
{
    for (const char *lead = end - 1; lead >= begin && lead >= end - 4; --lead) {
        if ((uchar(*lead) & 0xc0) != 0x80) {
            const Utf8Decoder::Decoded decoded = Utf8Decoder::decode(lead, end - lead);
            return decoded.status == Utf8Decoder::Status::Valid && lead + decoded.length == end ? lead : end - 1;
        }
    }
    return end - 1;
}

} // namespace

ReceivedText ReceivedText::fromBatch(const QByteArray &batch, bool afterCr, bool utf8)
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
                out -= utf8 ? out - characterStart(begin, out) : 1;
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
