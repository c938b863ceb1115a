// Feeds line editing received batches, split at random, and holds the text
// and the cursor against the same bytes received in one batch: where a
// batch splits a sequence, a CR LF or an edit must not matter. Also checks
// that the cursor stays on the last line and that the store's lines are
// its line breaks.
//
// Input: one byte choosing the width (its low bits, from 20 columns up) and
// device colours (its high bit), then chunks of one length byte (low five
// bits) and the batch.
//
// With device colours on, the characters drawn and the cursor's cell are
// compared, not the bytes: a colour sequence received inside the line may
// end up on either side of a cell boundary depending on the split, which
// changes the bytes but not what is drawn.


#include "colourruns.h"
#include "consoletext.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "lineeditor.h"

#include <cstdio>

namespace {

QByteArray drawn(const ConsoleText &text)
{
    QByteArray bytes = text.mid(0, text.size());
    const ColourRuns *runs = text.colours();
    for (qint64 i = runs ? runs->count() - 1 : -1; i >= 0; --i)
        bytes.remove(int(runs->start(i)), int(runs->end(i) - runs->start(i)));
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const quint8 setup = input.takeByte();
    const int columns = LineEditor::minColumns + (setup & 0x3f);
    ConsoleText split;
    ConsoleText whole;
    split.setDeviceColours(setup & 0x80);
    whole.setDeviceColours(setup & 0x80);
    LineEditor splitEditor(split);
    LineEditor wholeEditor(whole);
    splitEditor.setColumns(columns);
    wholeEditor.setColumns(columns);
    QByteArray all;
    while (!input.atEnd()) {
        const QByteArray batch = input.takeBytes(input.takeByte() & 0x1f);
        splitEditor.receive(batch, 0);
        all += batch;
        const qint64 lastStart = split.lineStart(split.lineCount() - 1);
        FUZZ_CHECK(splitEditor.cursorPosition() >= lastStart);
        FUZZ_CHECK(splitEditor.cursorPosition() <= split.size());
        FUZZ_CHECK(splitEditor.cursorCell() >= 0);
    }
    wholeEditor.receive(all, 0);
    const QByteArray text = split.mid(0, split.size());
    FUZZ_CHECK(split.lineCount() == text.count('\n') + 1);
    const bool same = (setup & 0x80)
        ? drawn(split) == drawn(whole) && splitEditor.cursorCell() == wholeEditor.cursorCell()
        : text == whole.mid(0, whole.size()) && splitEditor.cursorPosition() == wholeEditor.cursorPosition();
    if (!same) {
        std::fprintf(stderr, "received: %s\nsplit: %s\nwhole: %s\n", all.toPercentEncoding().constData(),
                     text.toPercentEncoding().constData(), whole.mid(0, whole.size()).toPercentEncoding().constData());
        fuzzFailure("the split into batches changed the text or the cursor");
    }
    return 0;
}
