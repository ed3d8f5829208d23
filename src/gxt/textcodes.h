#pragma once

#include <QStringView>

namespace quillet {

// The game's text codes: "~", one or more of the characters "!" to "}", "~" ("~r~",
// "~k~~PED_FIREWEAPON~", "~1~"). The game reads them by the units' ASCII values whatever the
// font's numbering, so a code reads as ASCII, and types as ASCII, under every numbering.
namespace TextCodes {
inline constexpr char16_t Tilde = u'~';

inline bool isCodeCharacter(char16_t c)
{
    return c >= 0x21 && c <= 0x7D;
}

// The length of the code that starts at `i` (tildes included), or 0 where none does. The
// same for units and for the characters they read as, which is what keeps the two alike.
inline qsizetype codeAt(QStringView text, qsizetype i)
{
    if (i >= text.size() || text[i].unicode() != Tilde)
        return 0;
    qsizetype k = i + 1;
    while (k < text.size() && isCodeCharacter(text[k].unicode()))
        ++k;
    if (k == i + 1 || k >= text.size() || text[k].unicode() != Tilde)
        return 0;
    return k - i + 1;
}

inline bool holdsTilde(QStringView text)
{
    return text.contains(QChar(Tilde));
}
} // namespace TextCodes

} // namespace quillet
