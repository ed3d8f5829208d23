#include "hashtext.h"

namespace quillet {

QString hashText(quint32 hash)
{
    // Written out by hand: a load may name every key of a hashed file this way, and arg()
    // with toUpper() took half of a whole load's time.
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    QString text(9, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    out[0] = u'#';
    for (int i = 8; i >= 1; --i, hash >>= 4)
        out[i] = Digits[hash & 0xF];
    return text;
}

std::optional<quint32> parseHashText(QStringView text)
{
    if (text.size() != 9 || text[0] != u'#')
        return std::nullopt;
    quint32 hash = 0;
    for (qsizetype i = 1; i < 9; ++i) {
        const char16_t c = text[i].unicode();
        quint32 digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        hash = hash << 4 | digit;
    }
    return hash;
}

} // namespace quillet
