#pragma once

#include "characternumbering.h"
#include "gxtlayout.h"
#include "rawgxt.h"
#include "result.h"
#include "stringentry.h"

namespace quillet {

// What a document of one layout, text width and character numbering can store, and how its
// names and values become keys and units: the one rule that a save, an import and the
// editor dialog all apply, in one wording. A reason says what is wrong, not where; callers
// put the entry or the line in front of it. `badIndex`, when given, is set to the position
// of the character that breaks the rule.
class EntryRules
{
public:
    EntryRules(GxtLayout layout, int bits, const CharacterNumbering &numbering);

    GxtLayout layout() const { return m_layout; }
    int bits() const { return m_bits; }
    const CharacterNumbering &numbering() const { return m_numbering; }

    // Flat and tabled keys are up to 8 Windows-1252 characters; a hashed key is a name, or
    // "#" and eight hex digits, which stand for its hash. (A flat key with a space at either
    // end is written as it is, and the layout's reader trims it: the editor keeps a pasted
    // name as the user gave it.)
    Result encodeName(const QString &name, RawEntry &entry, qsizetype *badIndex = nullptr) const;
    // A value's characters in the numbering, at most 32766 units, each as wide as the file's
    // texts allow.
    Result encodeValue(const QString &value, QString &units, qsizetype *badIndex = nullptr) const;
    Result encode(const StringEntry &entry, RawEntry &out) const;

    Result checkName(const QString &name, qsizetype *badIndex = nullptr) const;
    Result checkValue(const QString &value, qsizetype *badIndex = nullptr) const;
    Result check(const StringEntry &entry) const;

    // A table's name: up to 8 Windows-1252 characters.
    Result encodeTableName(const QString &name, RawName &out) const;

private:
    GxtLayout m_layout;
    int m_bits;
    const CharacterNumbering &m_numbering;
};

// A name field's bytes as the characters they stand for, and back; false when a character
// has no Windows-1252 byte (badIndex says which).
QString nameFromBytes(QByteArrayView bytes);
bool nameToBytes(const QString &name, QByteArray &bytes, qsizetype *badIndex = nullptr);

} // namespace quillet
