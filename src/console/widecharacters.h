#pragma once

// Which characters a terminal draws two cells wide: East Asian wide and
// fullwidth ones, emoji presented as pictures among them.
namespace WideCharacters {

bool isWideSlow(char32_t code);

// Nothing below U+1100 is wide: the common case costs one compare.
inline bool isWide(char32_t code)
{
    return code >= 0x1100 && isWideSlow(code);
}

} // namespace WideCharacters
