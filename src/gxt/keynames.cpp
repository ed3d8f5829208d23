#include "keynames.h"

#include "gxtformat.h"
#include "keyhash.h"

#include <QStringDecoder>

namespace quillet {

Result KeyNames::fromText(const QByteArray &text, KeyNames &out)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError())
        return Result::failure(QStringLiteral("the name list is not valid UTF-8 text"));
    KeyNames names;
    const QStringList lines = decoded.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString why = NameRule::whyNotAHashedName(line);
        if (!why.isEmpty())
            return Result::failure(QStringLiteral("line %1: \"%2\" is not a key name: %3").arg(i + 1).arg(line.left(40), why));
        names.add(line);
    }
    out = std::move(names);
    return {};
}

void KeyNames::add(const QString &name)
{
    const QString upper = name.toUpper();
    if (m_known.contains(upper))
        return;
    m_known.insert(upper);
    m_names.append(upper);
    m_indexes.clear();
}

void KeyNames::merge(const KeyNames &other)
{
    for (const QString &name : other.m_names) {
        if (!m_known.contains(name)) {
            m_known.insert(name);
            m_names.append(name);
        }
    }
    m_indexes.clear();
}

const QHash<quint32, QString> &KeyNames::index(const KeyHash &function) const
{
    auto it = m_indexes.find(&function);
    if (it != m_indexes.end())
        return it->second;
    QHash<quint32, QString> made;
    made.reserve(m_names.size());
    for (const QString &name : m_names) {
        const quint32 hash = function(name.toLatin1());
        if (!made.contains(hash))
            made.insert(hash, name);
    }
    return m_indexes.emplace(&function, std::move(made)).first->second;
}

QString KeyNames::nameOf(const KeyHash &function, quint32 hash) const
{
    return index(function).value(hash);
}

} // namespace quillet
