#include "keynames.h"

#include "gxtformat.h"
#include "hashtext.h"
#include "keyhash.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace quillet {

Result KeyNames::fromText(const QByteArray &text, KeyNames &out)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError())
        return Result::failure(QStringLiteral("the name list is not valid UTF-8 text"));
    KeyNames names;
    int skipped = 0;
    QString firstSkipped;
    const QStringList lines = decoded.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("//")) || line.startsWith(u';'))
            continue;
        const QStringList words = line.split(QRegularExpression(QStringLiteral("[\\s=,]+")), Qt::SkipEmptyParts);
        if (line.startsWith(u'#') && !parseHashText(words.value(0)))
            continue;
        // The name, and perhaps its hash beside it, which the name's own hash stands for.
        QString name;
        int hashes = 0;
        for (const QString &word : words) {
            if (parseHashText(word))
                ++hashes;
            else if (name.isEmpty())
                name = word;
        }
        const bool shaped = words.size() == 1 || (words.size() == 2 && hashes == 1);
        if (!shaped || name.isEmpty() || !NameRule::whyNotAHashedName(name).isEmpty()) {
            if (skipped++ == 0)
                firstSkipped = QStringLiteral("line %1, \"%2\"").arg(i + 1).arg(line.left(40));
            continue;
        }
        names.add(name);
    }
    out = std::move(names);
    Result result;
    if (skipped > 0) {
        result.addWarning(QStringLiteral("%1 of the list's lines %2 no key name and %3 left out (the first: %4)")
                              .arg(skipped)
                              .arg(skipped == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                                   skipped == 1 ? QStringLiteral("was") : QStringLiteral("were"), firstSkipped));
    }
    return result;
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
