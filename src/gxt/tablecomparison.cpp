#include "tablecomparison.h"

#include "stringtable.h"

#include <iterator>

namespace quillet {

ListStatus listStatusOf(TranslationState state)
{
    switch (state) {
    case TranslationState::Translated:
        return ListStatus::Translated;
    case TranslationState::Untranslated:
        return ListStatus::Untranslated;
    case TranslationState::Missing:
        return ListStatus::Missing;
    case TranslationState::Extra:
        return ListStatus::Extra;
    case TranslationState::CodesDiffer:
        return ListStatus::CodesDiffer;
    }
    return ListStatus::None;
}

void TableComparison::set(const StringTable *table, const EntryRules *rules, const TranslationStatus *reference)
{
    m_table = table && rules ? table : nullptr;
    m_rules = m_table ? rules : nullptr;
    m_reference = m_table ? reference : nullptr;
    m_referenceRules.reset();
    m_check.reset();
    if (m_reference)
        m_referenceRules.emplace(m_reference->referenceRules());
    if (m_rules)
        m_check.emplace(TextCodeCheck::of(m_rules->format(), m_rules->hash()));
    rebuild();
}

void TableComparison::rebuild()
{
    m_rows.clear();
    m_rows.resize(m_table ? size_t(m_table->count()) : 0);
    m_referenceTable = m_reference ? m_reference->referenceTable(m_table->name()) : nullptr;
    m_missing.clear();
    updateMissing();
}

TableComparison::Row &TableComparison::rowAt(int row) const
{
    return m_rows[size_t(row)];
}

const StringEntry *TableComparison::referenceOf(int row) const
{
    if (!m_referenceTable || row < 0 || size_t(row) >= m_rows.size())
        return nullptr;
    Row &known = rowAt(row);
    if (!(known.known & Row::Reference)) {
        known.reference = m_reference->referenceEntry(m_referenceTable, m_table->at(row));
        known.known |= Row::Reference;
    }
    return known.reference;
}

QString TableComparison::referenceText(int row) const
{
    const StringEntry *reference = referenceOf(row);
    return reference ? m_referenceRules->valueText(*reference) : QString();
}

ListStatus TableComparison::status(int row) const
{
    if (!m_reference || row < 0 || size_t(row) >= m_rows.size())
        return ListStatus::None;
    Row &known = rowAt(row);
    if (!(known.known & Row::Status)) {
        known.status = listStatusOf(TranslationStatus::compare(m_table->at(row).units, referenceOf(row)));
        known.known |= Row::Status;
    }
    return known.status;
}

QStringList TableComparison::problems(int row) const
{
    if (!m_check || row < 0 || size_t(row) >= m_rows.size())
        return {};
    Row &known = rowAt(row);
    if (!(known.known & Row::Problems)) {
        const StringEntry *reference = referenceOf(row);
        const std::vector<TextProblem> found = m_check->checkUnits(
            m_table->at(row).units, reference ? std::optional<QStringView>(reference->units) : std::nullopt);
        if (!found.empty()) {
            auto messages = std::make_unique<QStringList>();
            for (const TextProblem &problem : found)
                *messages << problem.message;
            known.problems = std::move(messages);
        }
        known.known |= Row::Problems;
    }
    return known.problems ? *known.problems : QStringList();
}

QString TableComparison::missingName(int index) const
{
    return m_rules->keyText(missing(index).entry);
}

void TableComparison::rowsInserted(int first, int last)
{
    std::vector<Row> fresh(size_t(last - first + 1));
    m_rows.insert(m_rows.begin() + first, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
}

void TableComparison::rowsRemoved(int first, int last)
{
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
}

void TableComparison::rowChanged(int row)
{
    if (row >= 0 && size_t(row) < m_rows.size())
        m_rows[size_t(row)] = Row();
}

bool TableComparison::updateMissing()
{
    std::vector<MissingEntry> missing;
    if (m_referenceTable)
        missing = m_reference->missingEntries(m_table->name(), m_table->entries());
    const auto same = [](const MissingEntry &a, const MissingEntry &b) { return a.referenceRow == b.referenceRow; };
    if (std::equal(missing.begin(), missing.end(), m_missing.begin(), m_missing.end(), same))
        return false;
    m_missing = std::move(missing);
    return true;
}

} // namespace quillet
