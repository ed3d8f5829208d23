#include "unitescape.h"

namespace quillet::UnitEscape {

namespace {

int hexValue(char16_t u)
{
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

int unitAt(QStringView text, qsizetype i)
{
    if (i < 0 || i + Length > text.size() || text[i].unicode() != Open || text[i + 5].unicode() != Close)
        return -1;
    int unit = 0;
    for (qsizetype k = 1; k <= 4; ++k) {
        const int digit = hexValue(text[i + k].unicode());
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

char16_t *write(char16_t *out, char16_t unit)
{
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    *out++ = Open;
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = Digits[(unit >> shift) & 0xF];
    *out++ = Close;
    return out;
}

void append(QString &text, char16_t unit)
{
    const qsizetype at = text.size();
    text.resize(at + Length);
    write(reinterpret_cast<char16_t *>(text.data()) + at, unit);
}

QString of(char16_t unit)
{
    QString text;
    append(text, unit);
    return text;
}

} // namespace quillet::UnitEscape
