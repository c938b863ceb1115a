#include "sgrparser.h"

#include <algorithm>

namespace {

constexpr char escape = '\x1b';

bool isParameterByte(char c)
{
    return (c >= '0' && c <= '9') || c == ';';
}

constexpr quint32 basicColours[16] = {
    0x000000, 0xcd0000, 0x00cd00, 0xcdcd00, 0x0000ee, 0xcd00cd, 0x00cdcd, 0xe5e5e5,
    0x7f7f7f, 0xff0000, 0x00ff00, 0xffff00, 0x5c5cff, 0xff00ff, 0x00ffff, 0xffffff,
};

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
    // Parameters between "ESC [" and 'm'; an empty one means 0.
    int values[maxLength];
    int count = 0;
    int value = 0;
    for (int i = 2; i < length - 1; ++i) {
        if (sequence[i] == ';') {
            values[count++] = value;
            value = 0;
        } else {
            value = std::min(value * 10 + (sequence[i] - '0'), 99999);
        }
    }
    values[count++] = value;

    for (int i = 0; i < count; ++i) {
        const int p = values[i];
        if (p == 0) {
            style = TextStyle();
        } else if (p == 1) {
            style.bold = true;
        } else if (p == 22) {
            style.bold = false;
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
        } else if (p == 38 || p == 48) {
            quint32 &target = p == 38 ? style.foreground : style.background;
            // 5;n or 2;r;g;b; one cut short or out of range ends the sequence.
            if (i + 2 < count && values[i + 1] == 5 && values[i + 2] <= 255) {
                target = TextStyle::colour(paletteColour(values[i + 2]));
                i += 2;
            } else if (i + 4 < count && values[i + 1] == 2 && values[i + 2] <= 255 && values[i + 3] <= 255
                       && values[i + 4] <= 255) {
                target = TextStyle::colour(quint32(values[i + 2]) << 16 | quint32(values[i + 3]) << 8
                                           | quint32(values[i + 4]));
                i += 4;
            } else {
                break;
            }
        }
    }
    return style;
}
