#pragma once

#include "result.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace quillet {

// The hashed layout stores a key only as a hash of its name: CRC-32 (reflected polynomial
// 0xEDB88320, initial value 0xFFFFFFFF) without the final inversion, over the name's bytes
// upper-cased.
quint32 keyHash(QByteArrayView name);

// Names that the hashes of a hashed file may stand for. A hash whose name is known shows as
// that name; any other as "#" and its eight hex digits, which stands for the hash itself.
class KeyNames
{
public:
    // A list of names, one a line, UTF-8. Blank lines and lines that start with '#' are
    // skipped; a line that is no key name fails with a reason that names it.
    static Result fromText(const QByteArray &text, KeyNames &out);

    // Whether `name` can be a key's name: ASCII letters, digits and signs, no space, not
    // starting with '#'. Empty when it can, else why not.
    static QString whyNotAName(const QString &name);

    // Adds a name (upper-cased, as the hash sees it); a hash keeps the first name it got.
    void add(const QString &name);
    void merge(const KeyNames &other);
    int size() const { return int(m_names.size()); }
    bool contains(quint32 hash) const { return m_names.contains(hash); }

    // What a key of this hash shows as.
    QString nameOf(quint32 hash) const;

    // The hash that a shown or typed name stands for: "#" and eight hex digits stand for
    // themselves, a name for its hash. Nothing when it is neither.
    static std::optional<quint32> hashOf(const QString &name);

    static QString hashText(quint32 hash);

private:
    QHash<quint32, QString> m_names;
};

} // namespace quillet
