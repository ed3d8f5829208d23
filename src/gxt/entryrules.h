#pragma once

#include "characternumbering.h"
#include "gxtformat.h"
#include "keynames.h"
#include "result.h"
#include "stringentry.h"

namespace quillet {

class KeyHash;
struct RawDocument;

// How the keys and texts of one document read to a user and how what a user types becomes
// keys and units: its format, text width, key hash, character numbering and known key
// names. The one rule that showing, a save, an import and the editor dialog all apply, in
// one wording. A reason says what is wrong, not where; callers put the entry or the line in
// front of it. `badIndex`, when given, is set to the position of the character that breaks
// the rule.
class EntryRules
{
public:
    // `hash` is the one hashed keys are read by (the format's own when null); `names` the
    // names known for them (none when null). Both must outlive the rules.
    EntryRules(const GxtFormat &format, int bits, const CharacterNumbering &numbering, const KeyHash *hash = nullptr,
               const KeyNames *names = nullptr);
    // The rules of a document as it was read.
    static EntryRules of(const RawDocument &document, const CharacterNumbering &numbering,
                         const KeyNames *names = nullptr);

    const GxtFormat &format() const { return m_format; }
    int bits() const { return m_bits; }
    const CharacterNumbering &numbering() const { return m_numbering; }
    const KeyHash *hash() const { return m_hash; }
    const KeyNames *names() const { return m_names; }

    // A key as the user reads it: its name, a known name for its hash, or the hash's text.
    QString keyText(const StringEntry &entry) const;
    // A text as the user reads it, through the numbering; units it cannot show as escapes.
    // Its text codes read as ASCII whatever the numbering.
    QString valueText(const StringEntry &entry) const { return valueText(QStringView(entry.units)); }
    QString valueText(QStringView units) const;
    QString tableText(const RawName &name) const;

    // A key's name as typed or read from a text form: up to 8 Windows-1252 characters for a
    // format of names; for hashes a name (whose hash is taken) or "#" and eight hex digits.
    Result encodeKey(const QString &name, StringEntry &entry, qsizetype *badIndex = nullptr) const;
    // A value's characters in the numbering, its text codes in ASCII, at most the format's
    // longest text in units, each as wide as the file's texts allow.
    Result encodeValue(const QString &value, QString &units, qsizetype *badIndex = nullptr) const;
    Result encode(const QString &name, const QString &value, StringEntry &out) const;
    Result checkKey(const QString &name, qsizetype *badIndex = nullptr) const;
    Result checkValue(const QString &value, qsizetype *badIndex = nullptr) const;
    // A table's name, as a file of the format stores it.
    Result encodeTableName(const QString &name, RawName &out) const;

private:
    const GxtFormat &m_format;
    int m_bits;
    const CharacterNumbering &m_numbering;
    const KeyHash *m_hash;
    const KeyNames *m_names;
};

} // namespace quillet
