#pragma once

#include "textstyle.h"

// Select Graphic Rendition, ESC [ params m, as terminals read it: reset,
// bold, dim, italic, underline, reverse and strike-through and their
// resets, the 8 and 16 colours, the 256-colour palette and 24-bit colour,
// foreground and background, in the semicolon and the colon forms.
// Anything else is not a sequence here and stays text.
class SgrParser
{
public:
    // Longer ones are taken for text: a stray ESC [ must not hide what follows.
    static constexpr int maxLength = 32;

    // The length of the complete sequence that `bytes` starts with, ESC and
    // final 'm' included; 0 when they start none (another escape, a malformed
    // or unfinished one, or one over maxLength).
    static int sequenceLength(const char *bytes, qint64 count);
    // The style after a complete sequence; parameters it does not know are
    // skipped.
    static TextStyle apply(TextStyle style, const char *sequence, int length);
    // The xterm palette: 0-15 the basic and bright colours, then the 6x6x6
    // cube and 24 greys.
    static quint32 paletteColour(int index);
};
