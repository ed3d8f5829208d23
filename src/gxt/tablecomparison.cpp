#include "tablecomparison.h"

#include "entryrules.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "stringtable.h"

#include <QtEndian>

namespace quillet {

namespace {

QByteArray hashKey(quint32 hash)
{
    QByteArray key(4, Qt::Uninitialized);
    qToLittleEndian(hash, key.data());
    return key;
}

} // namespace

void TableComparison::set(const StringTable *table, const EntryRules *rules, const StringTable *reference,
                          const EntryRules *referenceRules)
{
    m_table = table;
    m_rules = rules;
    m_reference = table && rules && reference && referenceRules ? reference : nullptr;
    m_referenceRules = m_reference ? referenceRules : nullptr;
    m_byHash = m_reference
        && (m_rules->format().storesHashes() || m_referenceRules->format().storesHashes());
    rebuild();
}

QByteArray TableComparison::matchKey(const StringEntry &entry, bool inReference) const
{
    const EntryRules &rules = inReference ? *m_referenceRules : *m_rules;
    if (!m_byHash)
        return entry.name.bytes().toByteArray();
    if (rules.format().storesHashes())
        return hashKey(entry.hash);
    // A name beside hashes: the hash the other file's keys are made by.
    const EntryRules &other = inReference ? *m_rules : *m_referenceRules;
    return hashKey((*other.hash())(entry.name.bytes()));
}

void TableComparison::rebuild()
{
    m_referenceRows.clear();
    m_matched.clear();
    m_status.clear();
    m_problems.clear();
    m_missing.clear();
    const int rows = m_table ? m_table->count() : 0;
    m_status.resize(size_t(rows));
    m_problems.resize(size_t(rows));
    m_matched.assign(size_t(rows), -1);
    if (!m_reference)
        return;
    // A key that a damaged file repeats finds its first entry, as the game's search would
    // find one of them.
    for (int row = m_reference->count() - 1; row >= 0; --row)
        m_referenceRows.insert(matchKey(m_reference->at(row), true), row);
    for (int row = 0; row < rows; ++row)
        m_matched[size_t(row)] = referenceRowOf(m_table->at(row));
    updateMissing();
}

int TableComparison::referenceRowOf(const StringEntry &entry) const
{
    return m_reference ? m_referenceRows.value(matchKey(entry, false), -1) : -1;
}

const StringEntry &TableComparison::referenceAt(int row) const
{
    return m_reference->at(row);
}

const StringEntry *TableComparison::referenceOf(int row) const
{
    if (row < 0 || size_t(row) >= m_matched.size() || m_matched[size_t(row)] < 0)
        return nullptr;
    return &referenceAt(m_matched[size_t(row)]);
}

QString TableComparison::referenceText(int row) const
{
    const StringEntry *reference = referenceOf(row);
    return reference ? m_referenceRules->valueText(*reference) : QString();
}

ListStatus TableComparison::status(int row) const
{
    if (!m_reference || row < 0 || size_t(row) >= m_status.size())
        return ListStatus::None;
    std::optional<ListStatus> &known = m_status[size_t(row)];
    if (!known)
        known = classify(row);
    return *known;
}

QStringList TableComparison::problems(int row) const
{
    if (!m_table || row < 0 || size_t(row) >= m_problems.size())
        return {};
    std::optional<QStringList> &known = m_problems[size_t(row)];
    if (!known)
        known = check(row);
    return *known;
}

const StringEntry &TableComparison::missing(int index) const
{
    return referenceAt(m_missing[size_t(index)]);
}

QString TableComparison::missingName(int index) const
{
    return m_referenceRules->keyText(missing(index));
}

QString TableComparison::missingText(int index) const
{
    return m_referenceRules->valueText(missing(index));
}

ListStatus TableComparison::classify(int row) const
{
    const StringEntry *reference = referenceOf(row);
    if (!reference)
        return ListStatus::Extra;
    return reference->units == m_table->at(row).units ? ListStatus::Untranslated : ListStatus::Translated;
}

QStringList TableComparison::check(int) const
{
    return {};
}

void TableComparison::rowsInserted(int first, int last)
{
    const auto count = size_t(last - first + 1);
    m_matched.insert(m_matched.begin() + first, count, -1);
    m_status.insert(m_status.begin() + first, count, std::nullopt);
    m_problems.insert(m_problems.begin() + first, count, std::nullopt);
    for (int row = first; row <= last; ++row)
        m_matched[size_t(row)] = referenceRowOf(m_table->at(row));
}

void TableComparison::rowsRemoved(int first, int last)
{
    m_matched.erase(m_matched.begin() + first, m_matched.begin() + last + 1);
    m_status.erase(m_status.begin() + first, m_status.begin() + last + 1);
    m_problems.erase(m_problems.begin() + first, m_problems.begin() + last + 1);
}

void TableComparison::rowChanged(int row)
{
    if (row < 0 || size_t(row) >= m_matched.size())
        return;
    m_matched[size_t(row)] = referenceRowOf(m_table->at(row));
    m_status[size_t(row)].reset();
    m_problems[size_t(row)].reset();
}

bool TableComparison::updateMissing()
{
    std::vector<int> missing;
    if (m_reference) {
        std::vector<bool> matched(size_t(m_reference->count()), false);
        for (int row : m_matched) {
            if (row >= 0)
                matched[size_t(row)] = true;
        }
        for (int row = 0; row < m_reference->count(); ++row) {
            // A key the reference repeats is missing once, by its first entry.
            if (!matched[size_t(row)] && m_referenceRows.value(matchKey(m_reference->at(row), true)) == row)
                missing.push_back(row);
        }
    }
    if (missing == m_missing)
        return false;
    m_missing = std::move(missing);
    return true;
}

} // namespace quillet
