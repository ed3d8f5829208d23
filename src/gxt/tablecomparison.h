#pragma once

#include "stringentry.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillet {

class EntryRules;
class StringTable;

// How a list shows one entry beside its reference: none without a reference, otherwise the
// reference comparison's status.
enum class ListStatus { None = -1, Translated, Untranslated, Missing, Extra, CodesDiffer };

// One table beside the reference's table of the same name, row by row, as the list shows
// them: for each entry of the table the reference's entry of the same key (hashed keys by
// hash, a name beside a hash by the hash of the name), its status and its problems; and the
// reference's entries the table lacks, which the list shows as rows after the table's own.
// It follows the table's changes as the list's model hands them on, and reads only what a
// change touched.
class TableComparison
{
public:
    // Without a reference (`reference` null) every row is of status None; problems are the
    // text-code checks of the table's own game either way.
    void set(const StringTable *table, const EntryRules *rules, const StringTable *reference,
             const EntryRules *referenceRules);
    bool hasReference() const { return m_reference != nullptr; }
    const StringTable *referenceTable() const { return m_reference; }

    // By row of the table.
    const StringEntry *referenceOf(int row) const;
    QString referenceText(int row) const;
    ListStatus status(int row) const;
    QStringList problems(int row) const;

    // The reference's entries the table has no entry for, in the reference's order.
    int missingCount() const { return int(m_missing.size()); }
    const StringEntry &missing(int index) const;
    QString missingName(int index) const;
    QString missingText(int index) const;

    // The table changed: rows inserted or removed, one row given another key or text, or
    // all of it. Call after the table made the change.
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowChanged(int row);
    void rebuild();
    // Works out the missing entries anew; true when they differ from before.
    bool updateMissing();

private:
    // A key as both files can compare it.
    QByteArray matchKey(const StringEntry &entry, bool inReference) const;
    int referenceRowOf(const StringEntry &entry) const;
    const StringEntry &referenceAt(int row) const;
    ListStatus classify(int row) const;
    QStringList check(int row) const;

    const StringTable *m_table = nullptr;
    const EntryRules *m_rules = nullptr;
    const StringTable *m_reference = nullptr;
    const EntryRules *m_referenceRules = nullptr;
    // Keys compare as hashes where either file stores hashes.
    bool m_byHash = false;
    QHash<QByteArray, int> m_referenceRows;
    // By row of the table: the reference's row (-1: none), and what was worked out of the
    // two, once asked for.
    std::vector<int> m_matched;
    mutable std::vector<std::optional<ListStatus>> m_status;
    mutable std::vector<std::optional<QStringList>> m_problems;
    std::vector<int> m_missing;
};

} // namespace quillet
