#pragma once

#include "entryrules.h"
#include "stringentry.h"
#include "textcodecheck.h"
#include "translationstatus.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace quillet {

class StringTable;

// How a list shows one entry beside its reference: None without a reference, otherwise the
// reference comparison's state (translationstatus.h).
enum class ListStatus { None = -1, Translated, Untranslated, Missing, Extra, CodesDiffer };
ListStatus listStatusOf(TranslationState state);

// One table of the document beside the reference, row by row, as the list shows them: for
// each entry its reference text, its status and the problems the text-code checks find
// (against the reference's text where there is one); and the reference's entries the table
// lacks, which the list shows as rows after the table's own. What it works out comes from
// TranslationStatus and TextCodeCheck; what it adds is keeping the answers by row as the
// table changes, so that a list of thousands of rows asks each question once.
class TableComparison
{
public:
    // Without `reference` every row is of status None; problems are the checks of the
    // table's own game either way. `rules` and `reference` must outlive the comparison.
    void set(const StringTable *table, const EntryRules *rules, const TranslationStatus *reference);
    bool hasReference() const { return m_referenceTable != nullptr; }

    // By row of the table.
    const StringEntry *referenceOf(int row) const;
    QString referenceText(int row) const;
    ListStatus status(int row) const;
    QStringList problems(int row) const;

    // The reference's entries the table lacks, in the reference's order.
    int missingCount() const { return int(m_missing.size()); }
    const MissingEntry &missing(int index) const { return m_missing[size_t(index)]; }
    // A missing entry's key as the document reads it.
    QString missingName(int index) const;

    // The table changed: rows inserted or removed, one row given another key or text, or
    // all of it. Call after the table made the change.
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowChanged(int row);
    void rebuild();
    // Works out the missing entries anew; true when they differ from before.
    bool updateMissing();

private:
    // One for every row of the table, which may be 32,766 of them with no reference open:
    // kept small, the problems held apart since most rows have none.
    struct Row {
        enum Known : quint8 { Reference = 1, Status = 2, Problems = 4 };
        const StringEntry *reference = nullptr;
        std::unique_ptr<const QStringList> problems; // null where there are none
        quint8 known = 0;
        ListStatus status = ListStatus::None;
    };
    Row &rowAt(int row) const;

    const StringTable *m_table = nullptr;
    const EntryRules *m_rules = nullptr;
    const TranslationStatus *m_reference = nullptr;
    const RawTable *m_referenceTable = nullptr;
    std::optional<EntryRules> m_referenceRules;
    std::optional<TextCodeCheck> m_check;
    mutable std::vector<Row> m_rows;
    std::vector<MissingEntry> m_missing;
};

} // namespace quillet
