#pragma once

#include "characternumbering.h"
#include "entryrules.h"
#include "keynames.h"
#include "rawgxt.h"
#include "stringentry.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace quillet {

class GxtFormat;
class KeyHash;

// How an entry of a translation stands against the reference (the original language's
// table): what the window's Reference column, status filter and counts show.
enum class TranslationState {
    Translated,   // its own text, with the reference's codes
    Untranslated, // the very units of the reference's text
    Missing,      // in the reference, not in the table (a row the translator may fill in)
    Extra,        // not in the reference
    CodesDiffer,  // its own text, with other codes than the reference's (see TextCodeCheck)
};

// "translated", "untranslated", "missing", "extra", "codes differ": the words of the status.
QString translationStateName(TranslationState state);

// An entry of the reference that the document's table lacks.
struct MissingEntry {
    // The key as the document stores it (a name, or the hash the document's keys are read by)
    // and, as its text, the reference's units: inserted as it is, the entry is untranslated.
    // `placeable` is false where the document stores names and the reference only a hash,
    // whose name no one knows.
    StringEntry entry;
    bool placeable = true;
    // Its position among the reference table's entries, in record order.
    int referenceRow = -1;
    // The reference's text, as the reference's numbering shows it.
    QString referenceText;
};

// How many of a document's entries stand how: what the status bar counts.
struct TranslationCounts {
    qsizetype translated = 0;
    qsizetype untranslated = 0;
    qsizetype missing = 0;
    qsizetype extra = 0;
    qsizetype codesDiffer = 0;

    // Entries the reference asks for: every one but the extras.
    qsizetype wanted() const { return translated + untranslated + missing + codesDiffer; }
    // Those with a text of their own, the ones whose codes differ among them.
    qsizetype done() const { return translated + codesDiffer; }
    void add(TranslationState state);

    friend bool operator==(const TranslationCounts &, const TranslationCounts &) = default;
};

// "4,120 of 4,761 translated, 23 with codes differing": done() of wanted(), and the
// entries whose codes differ, with thousands separators whatever the user's locale.
QString translationProgressText(const TranslationCounts &counts);

// A reference table beside a document: its entries found by table name and key, the status
// of each entry of the document, the entries the document lacks.
//
// The reference may be of any format, numbering and key names. Tables match by name; a file
// of one table stands as the table MAIN. Keys match by name where both store names, else by
// hash: a name hashed by the hash of the side that stores hashes. Where a reference holds a
// key twice, its first entry counts.
//
// Built once per reference (one pass over it); after that the status of one entry is one
// look-up and a comparison, so a window recomputes it as the user types.
class TranslationStatus
{
public:
    // `names`, when given, must outlive this: the reference's known key names, which its
    // hashed keys show by.
    TranslationStatus(RawDocument reference, std::shared_ptr<const CharacterNumbering> numbering,
                      const KeyNames *names = nullptr);
    // It points into its own copy of the reference: moved, never copied.
    TranslationStatus(const TranslationStatus &) = delete;
    TranslationStatus &operator=(const TranslationStatus &) = delete;
    TranslationStatus(TranslationStatus &&) = default;
    TranslationStatus &operator=(TranslationStatus &&) = default;

    const RawDocument &reference() const { return m_reference; }
    const CharacterNumbering &referenceNumbering() const { return *m_numbering; }
    // How the reference's keys and texts read.
    EntryRules referenceRules() const;

    // The document the status is for: its format and the hash its keys are read by. Call
    // again when either changes (the document's Key Names menu, say); until called, the
    // document is taken to be of the reference's own format and hash.
    void setDocument(const GxtFormat &format, const KeyHash *hash);

    // The reference's table of the document's table `table` (by name; MAIN for a document
    // of one table); null when it has none.
    const RawTable *referenceTable(const RawName &table) const;
    // The reference's entry of the same key as `entry` in the document's table `table`;
    // null when there is none.
    const StringEntry *referenceEntry(const RawName &table, const StringEntry &entry) const;
    // The same given the reference table found before, to spare the table's look-up.
    const StringEntry *referenceEntry(const RawTable *referenceTable, const StringEntry &entry) const;
    // The reference's text for the entry as its numbering shows it; empty when it has none
    // (referenceEntry tells the two apart).
    QString referenceText(const RawName &table, const StringEntry &entry) const;

    // An entry's state: Extra, Untranslated, CodesDiffer or Translated (an entry of the
    // document is never Missing).
    TranslationState stateOf(const RawName &table, const StringEntry &entry) const;
    TranslationState stateOf(const RawTable *referenceTable, const StringEntry &entry) const;
    // The state of an entry of `units` against the reference's `reference`: what stateOf
    // decides once the entries are found.
    static TranslationState compare(QStringView units, const StringEntry *reference);

    // The reference's entries that the document's table lacks, in the reference's record
    // order: `entries` are the table's (an absent table: none). One pass over both.
    std::vector<MissingEntry> missingEntries(const RawName &table, const std::vector<StringEntry> &entries) const;
    // The reference's tables the document has none of, in the reference's order.
    std::vector<RawName> missingTables(const std::vector<const RawTable *> &tables) const;

    // Every entry of the document counted, and every entry it lacks.
    TranslationCounts count(const std::vector<const RawTable *> &tables) const;

private:
    // A key the two sides compare by: a hash, or the name's bytes packed into 64 bits.
    quint64 referenceKey(const StringEntry &entry) const;
    quint64 documentKey(const StringEntry &entry) const;
    quint64 keyOf(const StringEntry &entry, bool storesHashes) const;
    std::vector<int> missingTableIndexes(const std::vector<const RawTable *> &tables) const;
    RawName tableKey(const RawName &table, bool hasTables) const;
    void index();

    RawDocument m_reference;
    std::shared_ptr<const CharacterNumbering> m_numbering;
    const KeyNames *m_names = nullptr;
    const GxtFormat *m_documentFormat = nullptr;
    const KeyHash *m_documentHash = nullptr;
    // Whether keys compare by hash, and by which hash a name is hashed.
    bool m_byHash = false;
    const KeyHash *m_nameHash = nullptr;
    struct TableIndex {
        const RawTable *table = nullptr;
        QHash<quint64, int> rows; // key to the first entry of it
    };
    std::vector<TableIndex> m_tables;
    QHash<QByteArray, int> m_tableByName;
};

} // namespace quillet
