#include "namefilter.h"

#include <algorithm>

namespace quillet {

char16_t filterNameKey(char16_t code)
{
    if (code >= u'a' && code <= u'z')
        code = char16_t(code - 32);
    const bool passes = (code >= u'0' && code <= u'9') || (code >= u'A' && code <= u'Z') || code == 8 || code == u'_';
    return passes ? code : char16_t(0);
}

QString filterPastedName(const QString &text)
{
    QString result;
    for (QChar c : text) {
        const char16_t code = filterNameKey(c.unicode());
        if (code != 0 && code != 8)
            result += QChar(code);
    }
    return result;
}

int nameRoom(qsizetype currentLength, qsizetype selectedLength)
{
    return int(std::max<qsizetype>(0, TypedNameLimit - (currentLength - selectedLength)));
}

} // namespace quillet
