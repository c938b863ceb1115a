#pragma once

#include <QByteArray>

// The console's rules for one batch of received bytes: NULs are dropped, a
// backspace takes back the last character of the batch (a byte, or in UTF-8
// a whole valid sequence) or, when the batch has none left, erases a
// character already on the screen.
struct ReceivedText
{
    int screenErasures = 0; // characters to erase from the screen first
    QByteArray bytes;       // then these to append, as Latin-1
    // The screen still ends with a CR's line break that no LF completed, so
    // the next batch is to be read with afterCr set.
    bool crOpen = false;

    // afterCr: the screen ends with a line break made by a CR, so an LF that
    // opens this batch (NULs aside) is its second half and adds nothing.
    static ReceivedText fromBatch(const QByteArray &batch, bool afterCr = false, bool utf8 = false);
};
