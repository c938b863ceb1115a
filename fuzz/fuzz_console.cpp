// Feeds the console received batches and holds what it shows against the
// plain model of the console, batch by batch; checks the pure byte rules on
// every batch on the way, and that without backspaces the split into
// batches changes nothing.
//
// Input: a run of chunks, each one control byte and then the batch. The low
// six bits of the control byte give the batch's length; with both high bits
// set, console and model are cleared before the batch arrives.

#include "consoleexport.h"
#include "consolemodel.h"
#include "consoletext.h"
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "receivedtext.h"
#include "zividview.h"

#include <cstdio>

namespace {

ZIvidView &console()
{
    // One console for the whole run: building a widget per input would cost
    // more than the input itself. Every input starts by clearing it.
    static ZIvidView *view = new ZIvidView;
    return *view;
}

void checkByteRules(const QByteArray &batch, bool afterCr)
{
    const ReceivedText received = ReceivedText::fromBatch(batch, afterCr);
    const int backspaces = batch.count('\b');
    FUZZ_CHECK(received.screenErasures >= 0);
    FUZZ_CHECK(received.screenErasures <= backspaces);
    FUZZ_CHECK(!received.bytes.contains('\0'));
    FUZZ_CHECK(!received.bytes.contains('\b'));
    FUZZ_CHECK(received.bytes.size() <= batch.size() - batch.count('\0') - backspaces);
    if (backspaces > 0)
        return;
    // Without a backspace the batch comes through as it is, less its NULs
    // and, after a CR, less the LF that opens it.
    QByteArray expected;
    for (char byte : batch) {
        if (byte != '\0')
            expected.append(byte);
    }
    if (afterCr && expected.startsWith('\n'))
        expected.remove(0, 1);
    FUZZ_CHECK(received.bytes == expected);
}

void reportMismatch(const QString &shown, const ConsoleModel &model, const QByteArray &batch)
{
    std::fprintf(stderr, "last batch: %s\nconsole shows: %s\nmodel shows:   %s\n",
                 batch.toPercentEncoding().constData(),
                 shown.toUtf8().toPercentEncoding().constData(),
                 model.text().toUtf8().toPercentEncoding().constData());
    fuzzFailure("the console differs from the model");
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
    ZIvidView &view = console();
    ConsoleModel model;
    view.clear();
    // Without backspaces or clears, the same bytes in one batch show the same.
    QByteArray all;
    bool splitMatters = false;

    while (!input.atEnd()) {
        const quint8 control = input.takeByte();
        if ((control & 0xc0) == 0xc0) {
            view.clear();
            model.clear();
            splitMatters = true;
        }
        const QByteArray batch = input.takeBytes(control & 0x3f);
        all += batch;
        splitMatters = splitMatters || batch.contains('\b');
        checkByteRules(batch, false);
        checkByteRules(batch, true);

        view.displayData(batch);
        model.addBatch(batch);
        const QString shown = view.toPlainText();
        if (shown != model.text())
            reportMismatch(shown, model, batch);
    }
    if (!splitMatters) {
        ConsoleText whole;
        whole.append(all);
        FUZZ_CHECK(ConsoleExport::toPlainText(whole) == view.toPlainText());
    }
    return 0;
}
