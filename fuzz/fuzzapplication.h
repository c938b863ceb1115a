#pragma once

// Creates the one QApplication a fuzz target needs, on first call only, with
// the image resources loaded and debug messages dropped: the product logs
// every received batch, which would drown the fuzzer's own output.
void startFuzzApplication();

// Reports a broken invariant and aborts, which libFuzzer records as a crash
// together with the input that caused it.
[[noreturn]] void fuzzFailure(const char *what);

#define FUZZ_CHECK(condition)                                                  \
    do {                                                                       \
        if (!(condition))                                                      \
            fuzzFailure(#condition);                                           \
    } while (false)
