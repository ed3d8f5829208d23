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

namespace {

bool takesName(const QString &name, bool hashes)
{
    if (hashes && name.startsWith(u'#')) {
        return name.size() <= TypedHashLength && std::all_of(name.cbegin() + 1, name.cend(), [](QChar c) {
                   return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
               });
    }
    return name.size() <= TypedNameLimit && !name.contains(u'#');
}

} // namespace

QString admitIntoName(const QString &text, qsizetype start, qsizetype selected, const QString &typed, bool hashes)
{
    const QString before = text.left(start);
    const QString after = text.mid(start + selected);
    QString accepted;
    for (QChar c : typed) {
        if (!takesName(before + accepted + c + after, hashes))
            break;
        accepted += c;
    }
    return accepted;
}

} // namespace quillet
