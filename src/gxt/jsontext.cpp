#include "jsontext.h"

namespace quillet {

QString jsonQuoted(QStringView text)
{
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text[i];
            out += text[++i];
            continue;
        }
        switch (c) {
        case u'"': out += QLatin1String("\\\""); continue;
        case u'\\': out += QLatin1String("\\\\"); continue;
        case u'\n': out += QLatin1String("\\n"); continue;
        case u'\r': out += QLatin1String("\\r"); continue;
        case u'\t': out += QLatin1String("\\t"); continue;
        case u'\b': out += QLatin1String("\\b"); continue;
        case u'\f': out += QLatin1String("\\f"); continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F || QChar::isSurrogate(c)) {
            out += QLatin1String("\\u");
            for (int shift = 12; shift >= 0; shift -= 4)
                out += QChar(Digits[(c >> shift) & 0xF]);
        } else {
            out += QChar(c);
        }
    }
    out += u'"';
    return out;
}

} // namespace quillet
