#include "gxtcheck.h"

#include "gxtformat.h"

#include <QHash>
#include <QtEndian>

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
    QHash<quint64, int> seen;
    seen.reserve(qsizetype(table.entries.size()));
    std::vector<size_t> repeated;
    for (size_t i = 0; i < table.entries.size(); ++i) {
        if (++seen[keyNumber(format, table.entries[i])] == 2)
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

QString CheckReport::escapeNote(const EntryRules &rules) const
{
    if (escapedEntries == 0)
        return {};
    return QStringLiteral("units that the character numbering %1 does not show read as ⟨XXXX⟩ escapes, in %2 (the "
                          "first: %3)")
        .arg(rules.numbering().name(), countOf(escapedEntries, "entry", "entries"), firstEscaped);
}

CheckReport checkDocument(const RawDocument &document, const EntryRules &rules)
{
    CheckReport report;
    const GxtFormat &format = *document.format;
    const CharacterNumbering &numbering = rules.numbering();
    QHash<QByteArray, int> tableNames;
    for (const RawTable &table : document.tables) {
        checkTable(format, table, rules, report.warnings);
        ++tableNames[table.name.bytes().toByteArray()];
        report.entries += qsizetype(table.entries.size());
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const StringEntry &entry = table.entries[i];
            const bool shown = std::all_of(entry.units.cbegin(), entry.units.cend(), [&](QChar u) {
                const char32_t c = numbering.characterOf(u.unicode());
                return c != 0 && c != UnitEscape::Open;
            });
            if (!shown && report.escapedEntries++ == 0) {
                report.firstEscaped =
                    describeEntry(format, rules.tableText(table.name), int(i + 1), rules.keyText(entry));
            }
        }
    }
    const int gameMax = format.traits().gameMaxTables;
    if (gameMax > 0 && document.tables.size() > size_t(gameMax)) {
        report.warnings.append(QStringLiteral("the file has %1 tables; the game keeps at most %2")
                                   .arg(document.tables.size())
                                   .arg(gameMax));
    }
    for (const RawTable &table : document.tables) {
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
