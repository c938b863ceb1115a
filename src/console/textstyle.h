#pragma once

#include <QtGlobal>

// How the device asked for its text to be drawn. A colour is 0xRRGGBB with
// setBit added; 0 leaves the console's own colour.
struct TextStyle
{
    static constexpr quint32 setBit = quint32(1) << 24;
    // The renditions besides bold, a bit each.
    enum Attribute : quint8 {
        Dim = 1,
        Italic = 2,
        Underline = 4,
        Reverse = 8,
        Strike = 16,
    };
    static constexpr int attributeBits = 5;

    quint32 foreground = 0;
    quint32 background = 0;
    bool bold = false;
    quint8 attributes = 0;

    static quint32 colour(quint32 rgb) { return setBit | (rgb & 0xffffff); }
    bool has(Attribute attribute) const { return attributes & attribute; }
    void set(Attribute attribute, bool on)
    {
        attributes = quint8(on ? attributes | attribute : attributes & ~attribute);
    }
    bool isPlain() const { return foreground == 0 && background == 0 && !bold && attributes == 0; }
    bool operator==(const TextStyle &other) const
    {
        return foreground == other.foreground && background == other.background && bold == other.bold
            && attributes == other.attributes;
    }
    bool operator!=(const TextStyle &other) const { return !(*this == other); }
};
