#include "translationstatus.h"

#include "gxtformat.h"
#include "keyhash.h"
#include "textcodecheck.h"

#include <QLocale>
#include <QSet>

#include <cstring>

namespace quillet {

QString translationStateName(TranslationState state)
{
    switch (state) {
    case TranslationState::Translated:
        return QStringLiteral("translated");
    case TranslationState::Untranslated:
        return QStringLiteral("untranslated");
    case TranslationState::Missing:
        return QStringLiteral("missing");
    case TranslationState::Extra:
        return QStringLiteral("extra");
    case TranslationState::CodesDiffer:
        break;
    }
    return QStringLiteral("codes differ");
}

void TranslationCounts::add(TranslationState state)
{
    switch (state) {
    case TranslationState::Translated:
        ++translated;
        return;
    case TranslationState::Untranslated:
        ++untranslated;
        return;
    case TranslationState::Missing:
        ++missing;
        return;
    case TranslationState::Extra:
        ++extra;
        return;
    case TranslationState::CodesDiffer:
        ++codesDiffer;
        return;
    }
}

QString translationProgressText(const TranslationCounts &counts)
{
    // The status bar's words are English, and so are its separators.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("%1 of %2 translated, %3 with codes differing")
        .arg(english.toString(qlonglong(counts.done())), english.toString(qlonglong(counts.wanted())),
             english.toString(qlonglong(counts.codesDiffer)));
}

TranslationStatus::TranslationStatus(RawDocument reference, std::shared_ptr<const CharacterNumbering> numbering,
                                     const KeyNames *names)
    : m_reference(std::move(reference))
    , m_numbering(std::move(numbering))
    , m_names(names)
{
    if (!m_numbering && m_reference.format)
        m_numbering = CharacterNumbering::defaultFor(*m_reference.format, m_reference.hash);
    if (!m_numbering)
        m_numbering = CharacterNumbering::unicode();
    if (m_reference.format)
        setDocument(*m_reference.format, m_reference.hash);
}

EntryRules TranslationStatus::referenceRules() const
{
    return EntryRules(m_reference.format ? *m_reference.format : GxtFormat::untitled(), m_reference.bits, *m_numbering,
                      m_reference.hash, m_names);
}

void TranslationStatus::setDocument(const GxtFormat &format, const KeyHash *hash)
{
    m_documentFormat = &format;
    m_documentHash = format.storesHashes() ? (hash ? hash : format.traits().hash) : nullptr;
    const bool referenceHashes = m_reference.format && m_reference.format->storesHashes();
    const KeyHash *referenceHash = referenceHashes
        ? (m_reference.hash ? m_reference.hash : m_reference.format->traits().hash)
        : nullptr;
    m_byHash = format.storesHashes() || referenceHashes;
    // A name is hashed as the side that stores hashes hashes its keys; where both do, hashes
    // compare as they are.
    m_nameHash = m_documentHash ? m_documentHash : referenceHash;
    index();
}

quint64 TranslationStatus::keyOf(const StringEntry &entry, bool storesHashes) const
{
    if (storesHashes)
        return entry.hash;
    if (m_byHash)
        return m_nameHash ? (*m_nameHash)(entry.name.bytes()) : 0;
    quint64 packed = 0;
    std::memcpy(&packed, entry.name.field().data(), sizeof packed);
    return packed;
}

quint64 TranslationStatus::referenceKey(const StringEntry &entry) const
{
    return keyOf(entry, m_reference.format && m_reference.format->storesHashes());
}

quint64 TranslationStatus::documentKey(const StringEntry &entry) const
{
    return keyOf(entry, m_documentFormat && m_documentFormat->storesHashes());
}

RawName TranslationStatus::tableKey(const RawName &table, bool hasTables) const
{
    return hasTables ? table : mainTableRawName();
}

void TranslationStatus::index()
{
    m_tables.clear();
    m_tableByName.clear();
    const bool hasTables = m_reference.format && m_reference.format->hasTables();
    m_tables.reserve(m_reference.tables.size());
    for (const RawTable &table : m_reference.tables) {
        TableIndex at;
        at.table = &table;
        at.rows.reserve(qsizetype(table.entries.size()));
        // Backwards, so that of a key held twice the first entry is the one kept.
        for (int row = int(table.entries.size()) - 1; row >= 0; --row)
            at.rows.insert(referenceKey(table.entries[size_t(row)]), row);
        const QByteArray name = tableKey(table.name, hasTables).bytes().toByteArray();
        if (!m_tableByName.contains(name))
            m_tableByName.insert(name, int(m_tables.size()));
        m_tables.push_back(std::move(at));
        if (!hasTables)
            break; // a file of one table has one
    }
}

const RawTable *TranslationStatus::referenceTable(const RawName &table) const
{
    const bool hasTables = m_documentFormat && m_documentFormat->hasTables();
    const int at = m_tableByName.value(tableKey(table, hasTables).bytes().toByteArray(), -1);
    return at < 0 ? nullptr : m_tables[size_t(at)].table;
}

const StringEntry *TranslationStatus::referenceEntry(const RawTable *referenceTable, const StringEntry &entry) const
{
    if (!referenceTable || m_reference.tables.empty())
        return nullptr;
    const qsizetype at = referenceTable - m_reference.tables.data();
    if (at < 0 || at >= qsizetype(m_tables.size()))
        return nullptr;
    const QHash<quint64, int> &rows = m_tables[size_t(at)].rows;
    const auto row = rows.constFind(documentKey(entry));
    return row == rows.cend() ? nullptr : &referenceTable->entries[size_t(*row)];
}

const StringEntry *TranslationStatus::referenceEntry(const RawName &table, const StringEntry &entry) const
{
    return referenceEntry(referenceTable(table), entry);
}

QString TranslationStatus::referenceText(const RawName &table, const StringEntry &entry) const
{
    const StringEntry *found = referenceEntry(table, entry);
    return found ? referenceRules().valueText(*found) : QString();
}

TranslationState TranslationStatus::compare(QStringView units, const StringEntry *reference)
{
    if (!reference)
        return TranslationState::Extra;
    if (units == reference->units)
        return TranslationState::Untranslated;
    if (TextCodeCheck::codesDiffer(units, reference->units))
        return TranslationState::CodesDiffer;
    return TranslationState::Translated;
}

TranslationState TranslationStatus::stateOf(const RawTable *referenceTable, const StringEntry &entry) const
{
    return compare(entry.units, referenceEntry(referenceTable, entry));
}

TranslationState TranslationStatus::stateOf(const RawName &table, const StringEntry &entry) const
{
    return stateOf(referenceTable(table), entry);
}

std::vector<MissingEntry> TranslationStatus::missingEntries(const RawName &table,
                                                            const std::vector<StringEntry> &entries) const
{
    std::vector<MissingEntry> missing;
    const RawTable *theirs = referenceTable(table);
    if (!theirs)
        return missing;
    QSet<quint64> have;
    have.reserve(qsizetype(entries.size()));
    for (const StringEntry &entry : entries)
        have.insert(documentKey(entry));
    const bool documentHashes = m_documentFormat && m_documentFormat->storesHashes();
    const bool referenceHashes = m_reference.format && m_reference.format->storesHashes();
    const EntryRules rules = referenceRules();
    QSet<quint64> listed;
    for (int row = 0; row < int(theirs->entries.size()); ++row) {
        const StringEntry &entry = theirs->entries[size_t(row)];
        const quint64 key = referenceKey(entry);
        if (have.contains(key) || listed.contains(key))
            continue;
        listed.insert(key);
        MissingEntry item;
        item.entry.units = entry.units;
        if (documentHashes)
            item.entry.hash = quint32(key);
        else if (!referenceHashes)
            item.entry.name = entry.name;
        else
            item.placeable = false;
        item.referenceRow = row;
        item.referenceText = rules.valueText(entry);
        missing.push_back(std::move(item));
    }
    return missing;
}

std::vector<int> TranslationStatus::missingTableIndexes(const std::vector<const RawTable *> &tables) const
{
    const bool hasTables = m_documentFormat && m_documentFormat->hasTables();
    QSet<QByteArray> have;
    for (const RawTable *table : tables)
        have.insert(tableKey(table->name, hasTables).bytes().toByteArray());
    std::vector<int> missing;
    const bool referenceTables = m_reference.format && m_reference.format->hasTables();
    for (int at = 0; at < int(m_tables.size()); ++at) {
        if (!have.contains(tableKey(m_tables[size_t(at)].table->name, referenceTables).bytes().toByteArray()))
            missing.push_back(at);
    }
    return missing;
}

std::vector<RawName> TranslationStatus::missingTables(const std::vector<const RawTable *> &tables) const
{
    std::vector<RawName> names;
    for (const int at : missingTableIndexes(tables))
        names.push_back(m_tables[size_t(at)].table->name);
    return names;
}

TranslationCounts TranslationStatus::count(const std::vector<const RawTable *> &tables) const
{
    TranslationCounts counts;
    QSet<quint64> have;
    for (const RawTable *table : tables) {
        const RawTable *theirs = referenceTable(table->name);
        have.clear();
        for (const StringEntry &entry : table->entries) {
            counts.add(stateOf(theirs, entry));
            have.insert(documentKey(entry));
        }
        if (!theirs)
            continue;
        // Every key of theirs that the table lacks, each once however often they hold it.
        const qsizetype at = theirs - m_reference.tables.data();
        for (auto it = m_tables[size_t(at)].rows.cbegin(); it != m_tables[size_t(at)].rows.cend(); ++it) {
            if (!have.contains(it.key()))
                ++counts.missing;
        }
    }
    for (const int at : missingTableIndexes(tables))
        counts.missing += m_tables[size_t(at)].rows.size();
    return counts;
}

} // namespace quillet
