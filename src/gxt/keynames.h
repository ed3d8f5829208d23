#pragma once

#include "result.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>

namespace quillet {

class KeyHash;

// Names that the keys of a hashed file may stand for. A hashed file keeps only each key's
// hash; a key whose hash is the hash of a known name shows as that name, any other as its
// hash's text ("#1CBF88DC"). Names are kept as the key hashes see them, upper-cased, and
// matched under whichever hash the document reads its keys by.
class KeyNames
{
public:
    // A list of names, one a line, UTF-8, as modders keep them: blank lines and comments
    // ("//", ";", and "#" other than a hash's text) are skipped, and so is a line that
    // cannot be a key's name, which the result's warning counts and names. A name may be
    // followed by its hash's text ("YES #1CBF88DC"), as `quillet-gxt hash` prints it. Only a
    // list that is no text at all fails.
    static Result fromText(const QByteArray &text, KeyNames &out);

    // Adds a name; under any hash, a hash keeps the first name it got.
    void add(const QString &name);
    void merge(const KeyNames &other);
    int size() const { return int(m_names.size()); }
    bool isEmpty() const { return m_names.isEmpty(); }
    const QStringList &names() const { return m_names; }

    // The known name of a key of `hash` under `function`; empty when none is known.
    QString nameOf(const KeyHash &function, quint32 hash) const;
    bool contains(const KeyHash &function, quint32 hash) const { return index(function).contains(hash); }

private:
    const QHash<quint32, QString> &index(const KeyHash &function) const;

    QStringList m_names;
    QSet<QString> m_known;
    // Built when a hash is first asked for, and again after the names change.
    mutable std::map<const KeyHash *, QHash<quint32, QString>> m_indexes;
};

} // namespace quillet
