#include "gxtcheck.h"

#include "gxtformat.h"
#include "keyhash.h"
#include "radixsort.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

QString countOf(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// A key as one number: a hash, or the name's up to 8 bytes (a name holds no zero byte, so
// the zeros after it cannot make two names alike).
quint64 keyNumber(const GxtFormat &format, const StringEntry &entry)
{
    if (format.storesHashes())
        return entry.hash;
    quint64 number = 0;
    std::memcpy(&number, entry.name.field().data(), sizeof number);
    return number;
}

void checkTable(const GxtFormat &format, const RawTable &table, const EntryRules &rules, QStringList &warnings)
{
    const QString prefix = format.hasTables() ? QStringLiteral("table %1: ").arg(rules.tableText(table.name)) : QString();
    // The keys sorted as numbers find the repeated ones; a table seldom has any, so only
    // those are counted, and named in the order their second entry stands in.
    // A table in the order the game searches it has its repeated keys side by side already.
    std::vector<quint64> keys(table.entries.size());
    bool inOrder = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i] = keyNumber(format, table.entries[i]);
        inOrder = inOrder && (i == 0 || !format.keyLess(table.entries[i], table.entries[i - 1]));
    }
    if (!inOrder)
        sortNumbers(keys);
    QHash<quint64, int> seen;
    for (size_t i = 1; i < keys.size(); ++i) {
        if (keys[i] == keys[i - 1])
            seen.insert(keys[i], 0);
    }
    if (seen.isEmpty())
        keys.clear();
    std::vector<size_t> repeated;
    for (size_t i = 0; i < table.entries.size() && !seen.isEmpty(); ++i) {
        const auto it = seen.find(keyNumber(format, table.entries[i]));
        if (it != seen.end() && ++*it == 2)
            repeated.push_back(i);
    }
    for (size_t i : repeated) {
        const StringEntry &entry = table.entries[i];
        warnings.append(QStringLiteral("%1the key %2 appears %3 times; the game finds only one of them")
                            .arg(prefix, rules.keyText(entry))
                            .arg(seen.value(keyNumber(format, entry))));
    }
    for (size_t i = 1; i < table.entries.size(); ++i) {
        if (format.keyLess(table.entries[i], table.entries[i - 1])) {
            warnings.append(QStringLiteral("%1the keys are not in the order the game searches them: %2 stands before %3")
                                .arg(prefix, rules.keyText(table.entries[i - 1]), rules.keyText(table.entries[i])));
            break;
        }
    }
}

} // namespace

void EscapeCounter::inspect(int table, int entry, QStringView units)
{
    if (!m_asked) {
        m_asked = true;
        if (m_document.format && m_numberingFor)
            m_numbering = m_numberingFor(*m_document.format, m_document.hash);
    }
    if (!m_numbering || m_numbering->showsEvery(units))
        return;
    if (m_count++ == 0) {
        m_firstTable = table;
        m_firstEntry = entry;
    }
}

void EscapeCounter::reportInto(CheckReport &report, const EntryRules &rules) const
{
    report.escapedEntries = m_count;
    if (m_count == 0 || m_firstTable < 0 || size_t(m_firstTable) >= m_document.tables.size())
        return;
    const RawTable &table = m_document.tables[size_t(m_firstTable)];
    if (size_t(m_firstEntry) >= table.entries.size())
        return;
    report.firstEscaped = describeEntry(*m_document.format, rules.tableText(table.name), m_firstEntry + 1,
                                        rules.keyText(table.entries[size_t(m_firstEntry)]));
}

QString CheckReport::escapeNote(const EntryRules &rules) const
{
    if (escapedEntries == 0)
        return {};
    return QStringLiteral("units that the character numbering %1 does not show read as ⟨XXXX⟩ escapes, in %2 (the "
                          "first: %3)")
        .arg(rules.numbering().title(), countOf(escapedEntries, "entry", "entries"), firstEscaped);
}

CheckReport checkDocument(const RawDocument &document, const EntryRules &rules)
{
    std::vector<const RawTable *> tables;
    for (const RawTable &table : document.tables)
        tables.push_back(&table);
    return checkDocument(*document.format, tables, rules, true);
}

CheckReport checkDocument(const GxtFormat &format, const std::vector<const RawTable *> &tables, const EntryRules &rules,
                          bool countEscapes)
{
    CheckReport report;
    const CharacterNumbering &numbering = rules.numbering();
    QHash<QByteArray, int> tableNames;
    for (const RawTable *held : tables) {
        const RawTable &table = *held;
        checkTable(format, table, rules, report.warnings);
        ++tableNames[table.name.bytes().toByteArray()];
        report.entries += qsizetype(table.entries.size());
        for (size_t i = 0; countEscapes && i < table.entries.size(); ++i) {
            const StringEntry &entry = table.entries[i];
            if (!numbering.showsEvery(entry.units) && report.escapedEntries++ == 0) {
                report.firstEscaped =
                    describeEntry(format, rules.tableText(table.name), int(i + 1), rules.keyText(entry));
            }
        }
    }
    // The third game keeps 200 tables; the fourth, whose files have the same bytes, more.
    const int gameMax = format.traits().gameByHash && rules.hash() ? rules.hash()->gameMaxTables()
                                                                   : format.traits().gameMaxTables;
    if (gameMax > 0 && tables.size() > size_t(gameMax)) {
        report.warnings.append(QStringLiteral("the file has %1 tables; the game keeps at most %2")
                                   .arg(tables.size())
                                   .arg(gameMax));
    }
    for (const RawTable *held : tables) {
        const RawTable &table = *held;
        const int count = tableNames.take(table.name.bytes().toByteArray());
        if (count > 1) {
            report.warnings.append(QStringLiteral("the table %1 appears %2 times; the game finds only the first")
                                       .arg(rules.tableText(table.name))
                                       .arg(count));
        }
    }
    return report;
}

} // namespace quillet
