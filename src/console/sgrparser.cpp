#include "sgrparser.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr char escape = '\x1b';

// ':' separates the sub-parameters of one parameter (38:2::r:g:b).
bool isParameterByte(char c)
{
    return (c >= '0' && c <= '9') || c == ';' || c == ':';
}

constexpr quint32 basicColours[16] = {
    0x000000, 0xcd0000, 0x00cd00, 0xcdcd00, 0x0000ee, 0xcd00cd, 0x00cdcd, 0xe5e5e5,
    0x7f7f7f, 0xff0000, 0x00ff00, 0xffff00, 0x5c5cff, 0xff00ff, 0x00ffff, 0xffffff,
};

quint32 rgb(const int *values)
{
    return quint32(values[0]) << 16 | quint32(values[1]) << 8 | quint32(values[2]);
}

bool areBytes(const int *values, int count)
{
    return std::all_of(values, values + count, [](int v) { return v <= 255; });
}

// The colour after 38 or 48 in its colon form: 5:n, 2:r:g:b, or 2 with a
// colour space id (often empty) before r:g:b and maybe tolerances after.
bool colonColour(const int *subs, int count, quint32 *colour)
{
    if (count == 2 && subs[0] == 5 && subs[1] <= 255) {
        *colour = SgrParser::paletteColour(subs[1]);
        return true;
    }
    if (subs[0] != 2 || count < 4)
        return false;
    const int *channels = count == 4 ? subs + 1 : subs + 2;
    if (!areBytes(channels, 3))
        return false;
    *colour = rgb(channels);
    return true;
}

// The same in the semicolon form, 5;n or 2;r;g;b, taking the parameters it
// uses; false for one cut short or out of range.
bool semicolonColour(const int *values, int count, quint32 *colour, int *used)
{
    if (count >= 2 && values[0] == 5 && values[1] <= 255) {
        *colour = SgrParser::paletteColour(values[1]);
        *used = 2;
        return true;
    }
    if (count >= 4 && values[0] == 2 && areBytes(values + 1, 3)) {
        *colour = rgb(values + 1);
        *used = 4;
        return true;
    }
    return false;
}

// Parameters that switch one rendition on or off.
struct Switch
{
    int parameter;
    TextStyle::Attribute attribute;
    bool on;
};
constexpr Switch switches[] = {
    {2, TextStyle::Dim, true},        {3, TextStyle::Italic, true},   {4, TextStyle::Underline, true},
    {7, TextStyle::Reverse, true},    {9, TextStyle::Strike, true},   {22, TextStyle::Dim, false},
    {23, TextStyle::Italic, false},   {24, TextStyle::Underline, false}, {27, TextStyle::Reverse, false},
    {29, TextStyle::Strike, false},
};

const Switch *switchFor(int parameter)
{
    const auto found = std::find_if(std::begin(switches), std::end(switches),
                                    [parameter](const Switch &s) { return s.parameter == parameter; });
    return found != std::end(switches) ? found : nullptr;
}

} // namespace

int SgrParser::sequenceLength(const char *bytes, qint64 count)
{
    const int limit = int(std::min<qint64>(count, maxLength));
    if (limit < 3 || bytes[0] != escape || bytes[1] != '[')
        return 0;
    for (int i = 2; i < limit; ++i) {
        if (bytes[i] == 'm')
            return i + 1;
        if (!isParameterByte(bytes[i]))
            return 0;
    }
    return 0;
}

quint32 SgrParser::paletteColour(int index)
{
    if (index < 16)
        return basicColours[std::max(0, index)];
    if (index < 232) {
        static constexpr quint32 levels[6] = {0, 95, 135, 175, 215, 255};
        const int cube = index - 16;
        return levels[cube / 36] << 16 | levels[cube / 6 % 6] << 8 | levels[cube % 6];
    }
    const quint32 grey = quint32(8 + 10 * (std::min(index, 255) - 232));
    return grey << 16 | grey << 8 | grey;
}

TextStyle SgrParser::apply(TextStyle style, const char *sequence, int length)
{
    // Parameters between "ESC [" and 'm'; an empty one means 0. isSub marks
    // those after a colon, which belong to the parameter before them.
    int values[maxLength];
    bool isSub[maxLength];
    int count = 0;
    int value = 0;
    bool sub = false;
    for (int i = 2; i < length - 1; ++i) {
        if (sequence[i] == ';' || sequence[i] == ':') {
            values[count] = value;
            isSub[count++] = sub;
            value = 0;
            sub = sequence[i] == ':';
        } else {
            value = std::min(value * 10 + (sequence[i] - '0'), 99999);
        }
    }
    values[count] = value;
    isSub[count++] = sub;

    for (int i = 0; i < count; ++i) {
        const int p = values[i];
        int subs = 0;
        while (i + 1 + subs < count && isSub[i + 1 + subs])
            ++subs;
        const int *after = values + i + 1;
        if (p == 0) {
            style = TextStyle();
        } else if (p == 1) {
            style.bold = true;
        } else if (p == 4 && subs > 0) {
            // 4:0 is no underline; 4:1 to 4:5 are its kinds, all drawn alike.
            style.set(TextStyle::Underline, after[0] != 0);
        } else if (p >= 30 && p <= 37) {
            style.foreground = TextStyle::colour(basicColours[p - 30]);
        } else if (p == 39) {
            style.foreground = 0;
        } else if (p >= 40 && p <= 47) {
            style.background = TextStyle::colour(basicColours[p - 40]);
        } else if (p == 49) {
            style.background = 0;
        } else if (p >= 90 && p <= 97) {
            style.foreground = TextStyle::colour(basicColours[p - 90 + 8]);
        } else if (p >= 100 && p <= 107) {
            style.background = TextStyle::colour(basicColours[p - 100 + 8]);
        } else if (const Switch *switched = switchFor(p)) {
            style.set(switched->attribute, switched->on);
            if (p == 22)
                style.bold = false;
        } else if (p == 38 || p == 48) {
            quint32 colour = 0;
            int used = subs;
            const bool read = subs > 0 ? colonColour(after, subs, &colour)
                                       : semicolonColour(after, count - i - 1, &colour, &used);
            // One cut short or out of range ends the sequence.
            if (!read)
                break;
            (p == 38 ? style.foreground : style.background) = TextStyle::colour(colour);
            i += used;
            continue;
        }
        i += subs;
    }
    return style;
}
