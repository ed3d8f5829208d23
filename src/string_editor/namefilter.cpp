#include "namefilter.h"

namespace quillet {

char16_t filterNameKey(char16_t code)
{
    if (code >= u'a' && code <= u'z')
        code = char16_t(code - 32);
    const bool passes = (code >= u'0' && code <= u'9') || (code >= u'A' && code <= u'Z') || code == 8 || code == u'_';
    return passes ? code : char16_t(0);
}

QString filterPastedName(const QString &text, bool hashes)
{
    QString result;
    for (QChar c : text) {
        if (hashes && c == u'#') {
            result += c;
            continue;
        }
        const char16_t code = filterNameKey(c.unicode());
        if (code != 0 && code != 8)
            result += QChar(code);
    }
    return result;
}

NameValidator::NameValidator(const NameRule &rule, QObject *parent)
    : QValidator(parent)
    , m_rule(rule)
{
}

QValidator::State NameValidator::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    // Nothing is rewritten here: a name read from the file goes into the box through
    // setText, which a rewriting validator would turn into another key ("lower" into
    // "LOWER") unseen. Typed and pasted letters are upper-cased by the key filter first.
    switch (m_rule.checkTyped(input, m_keptLength)) {
    case NameRule::Typed::Acceptable:
        return Acceptable;
    case NameRule::Typed::Intermediate:
        return Intermediate;
    case NameRule::Typed::Invalid:
        break;
    }
    return Invalid;
}

} // namespace quillet
