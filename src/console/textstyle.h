#pragma once

#include <QtGlobal>

// How the device asked for its text to be drawn. A colour is 0xRRGGBB with
// setBit added; 0 leaves the console's own colour.
struct TextStyle
{
    static constexpr quint32 setBit = quint32(1) << 24;

    quint32 foreground = 0;
    quint32 background = 0;
    bool bold = false;

    static quint32 colour(quint32 rgb) { return setBit | (rgb & 0xffffff); }
    bool isPlain() const { return foreground == 0 && background == 0 && !bold; }
    bool operator==(const TextStyle &other) const
    {
        return foreground == other.foreground && background == other.background && bold == other.bold;
    }
    bool operator!=(const TextStyle &other) const { return !(*this == other); }
};
