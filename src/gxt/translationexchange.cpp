#include "translationexchange.h"

#include "fileio.h"
#include "gxtformat.h"
#include "poexchange.h"
#include "textcodecheck.h"
#include "unitescape.h"
#include "xliffexchange.h"

#include <QFileInfo>
#include <QHash>

namespace quillet {

namespace {

// What neither PO nor XML carries as it is: line breaks (PO wants msgid and msgstr to agree
// on them at both ends, and a GXT text breaks its lines where its words fall), other control
// characters (XML 1.0 has none) and the two non-characters. Each becomes the escape of its
// unit, which the numbering reads back as that unit.
bool needsEscape(char16_t c)
{
    return (c < 0x20 && c != u'\t') || c == 0x7F || c == 0xFFFE || c == 0xFFFF;
}

QString portableText(const QString &value, const CharacterNumbering &numbering)
{
    qsizetype first = 0;
    while (first < value.size() && !needsEscape(value[first].unicode()))
        ++first;
    if (first == value.size())
        return value;
    QString out = value.first(first);
    for (qsizetype i = first; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        const quint16 unit = needsEscape(c) ? numbering.glyphOf(c) : 0;
        if (unit == 0)
            out += value[i];
        else
            UnitEscape::append(out, unit);
    }
    return out;
}

QString textOf(const EntryRules &rules, QStringView units)
{
    return portableText(rules.valueText(units), rules.numbering());
}

QStringList notesOf(const TextCodeCheck &check, const StringEntry &entry, const StringEntry *reference)
{
    QStringList notes;
    std::optional<QStringView> against;
    if (reference)
        against = QStringView(reference->units);
    for (const TextProblem &problem : check.checkUnits(entry.units, against))
        notes.append(problem.message);
    return notes;
}

} // namespace

std::optional<TranslationFormat> translationFormatFromPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"po")
        return TranslationFormat::Po;
    if (suffix == u"pot")
        return TranslationFormat::Pot;
    if (suffix == u"xlf" || suffix == u"xliff")
        return TranslationFormat::Xliff;
    return std::nullopt;
}

QString translationContext(const EntryRules &rules, const RawTable &table, int row, int occurrence)
{
    QString context = rules.keyText(table.entries[size_t(row)]);
    if (rules.format().hasTables())
        context = rules.tableText(table.name) + u'/' + context;
    if (occurrence > 1)
        context += QStringLiteral(" (%1)").arg(occurrence);
    return context;
}

std::vector<TranslationUnit> translationUnits(const RawDocument &document, const EntryRules &rules,
                                              const TranslationStatus *reference)
{
    std::vector<TranslationUnit> units;
    const TextCodeCheck check = TextCodeCheck::of(rules.format(), rules.hash());
    std::optional<EntryRules> theirRules;
    if (reference)
        theirRules.emplace(reference->referenceRules());
    auto addMissing = [&](const RawName &tableName, const std::vector<StringEntry> &entries) {
        for (const MissingEntry &missing : reference->missingEntries(tableName, entries)) {
            if (!missing.placeable)
                continue;
            TranslationUnit unit;
            QString key = rules.keyText(missing.entry);
            unit.context = rules.format().hasTables() ? rules.tableText(tableName) + u'/' + key : key;
            unit.source = portableText(missing.referenceText, theirRules->numbering());
            unit.state = TranslationState::Missing;
            units.push_back(std::move(unit));
        }
    };
    for (const RawTable &table : document.tables) {
        QHash<QString, int> seen;
        const RawTable *theirs = reference ? reference->referenceTable(table.name) : nullptr;
        for (int row = 0; row < int(table.entries.size()); ++row) {
            const StringEntry &entry = table.entries[size_t(row)];
            TranslationUnit unit;
            const int occurrence = ++seen[rules.keyText(entry)];
            unit.context = translationContext(rules, table, row, occurrence);
            const QString own = textOf(rules, entry.units);
            if (!reference) {
                unit.source = own;
                unit.notes = notesOf(check, entry, nullptr);
                units.push_back(std::move(unit));
                continue;
            }
            const StringEntry *original = reference->referenceEntry(theirs, entry);
            unit.state = TranslationStatus::compare(entry.units, original);
            // An extra entry has no original: its own text stands for one, and it is done.
            unit.source = original ? textOf(*theirRules, original->units) : own;
            if (unit.state != TranslationState::Untranslated)
                unit.target = own;
            unit.notes = notesOf(check, entry, original);
            if (!original)
                unit.notes.prepend(QStringLiteral("not in the reference"));
            units.push_back(std::move(unit));
        }
        if (reference)
            addMissing(table.name, table.entries);
    }
    if (reference && document.format && document.format->hasTables()) {
        std::vector<const RawTable *> tables;
        for (const RawTable &table : document.tables)
            tables.push_back(&table);
        for (const RawName &name : reference->missingTables(tables))
            addMissing(name, {});
    }
    return units;
}

Result placeTranslations(const std::vector<TranslatedText> &texts, const QString &fileName, const RawDocument &document,
                         const EntryRules &rules, std::vector<TranslationChange> &changes)
{
    changes.clear();
    // Every entry's context, and the tables by name, for the contexts of entries to add.
    QHash<QString, std::pair<int, int>> where;
    QHash<QString, int> tables;
    for (int t = 0; t < int(document.tables.size()); ++t) {
        const RawTable &table = document.tables[size_t(t)];
        tables.insert(rules.tableText(table.name), t);
        QHash<QString, int> seen;
        for (int row = 0; row < int(table.entries.size()); ++row) {
            const int occurrence = ++seen[rules.keyText(table.entries[size_t(row)])];
            where.insert(translationContext(rules, table, row, occurrence), {t, row});
        }
    }
    const bool hasTables = rules.format().hasTables();
    // Entries added by this import, so that a context given twice changes one entry.
    QHash<QString, size_t> added;
    QHash<QString, int> placedAt;
    std::vector<TranslationChange> made;
    for (const TranslatedText &text : texts) {
        auto fail = [&](const QString &reason) {
            return Result::failure(QStringLiteral("%1: line %2: %3").arg(fileName).arg(text.line).arg(reason));
        };
        if (const auto twice = placedAt.constFind(text.context); twice != placedAt.cend())
            return fail(QStringLiteral("\"%1\" is translated on line %2 already").arg(text.context).arg(*twice));
        placedAt.insert(text.context, text.line);
        // An empty text asks for nothing, so it cannot fail to be placed: the units of a table
        // the document lacks, exported from the reference, come back so.
        if (text.target.isEmpty())
            continue;
        StringEntry entry;
        int table = 0;
        int row = -1;
        if (const auto found = where.constFind(text.context); found != where.cend()) {
            table = found->first;
            row = found->second;
            entry = document.tables[size_t(table)].entries[size_t(row)];
        } else {
            QString key = text.context;
            if (hasTables) {
                // Table names may hold a "/" themselves: the one that names a table counts.
                table = -1;
                for (qsizetype slash = key.indexOf(u'/'); slash >= 0 && table < 0; slash = key.indexOf(u'/', slash + 1)) {
                    const int at = tables.value(key.first(slash), -1);
                    if (at >= 0) {
                        table = at;
                        key = key.sliced(slash + 1);
                    }
                }
                if (table < 0)
                    return fail(QStringLiteral("\"%1\" names no table of the document").arg(text.context));
            } else if (document.tables.empty()) {
                return fail(QStringLiteral("the document has no table to add \"%1\" to").arg(text.context));
            }
            const Result keyed = rules.encodeKey(key, entry);
            if (!keyed)
                return fail(QStringLiteral("\"%1\" cannot be placed: %2").arg(text.context, keyed.errorString()));
        }
        QString units;
        const Result encoded = rules.encodeValue(text.target, units);
        if (!encoded)
            return fail(QStringLiteral("the translation of %1 cannot be stored: %2").arg(text.context, encoded.errorString()));
        if (row >= 0 && units == entry.units)
            continue;
        entry.units = units;
        made.push_back(TranslationChange{table, row, std::move(entry)});
    }
    changes = std::move(made);
    return {};
}

void applyTranslationChanges(RawDocument &document, const std::vector<TranslationChange> &changes)
{
    for (const TranslationChange &change : changes) {
        std::vector<StringEntry> &entries = document.tables[size_t(change.table)].entries;
        if (change.row < 0)
            entries.push_back(change.entry);
        else
            entries[size_t(change.row)] = change.entry;
    }
}

Result writeTranslation(TranslationFormat format, const RawDocument &document, const EntryRules &rules,
                        const TranslationStatus *reference, QByteArray &out)
{
    const bool isTemplate = format == TranslationFormat::Pot;
    const std::vector<TranslationUnit> units = translationUnits(document, rules, isTemplate ? nullptr : reference);
    if (format == TranslationFormat::Xliff)
        return writeXliff(units, out);
    return writePo(units, isTemplate, out);
}

Result readTranslation(TranslationFormat format, const QByteArray &bytes, const QString &fileName,
                       std::vector<TranslatedText> &out)
{
    if (format == TranslationFormat::Xliff)
        return readXliff(bytes, fileName, out);
    return readPo(bytes, fileName, out);
}

Result exportTranslation(const QString &path, const RawDocument &document, const EntryRules &rules,
                         const TranslationStatus *reference, std::optional<TranslationFormat> format)
{
    const std::optional<TranslationFormat> chosen = format ? format : translationFormatFromPath(path);
    if (!chosen) {
        return Result::failure(
            QStringLiteral("%1: a translation is written as .po, .pot, .xlf or .xliff").arg(path));
    }
    QByteArray bytes;
    const Result written = writeTranslation(*chosen, document, rules, reference, bytes);
    if (!written)
        return written.within(path);
    return writeFileAtomically(path, bytes).within(path);
}

Result importTranslation(const QString &path, const RawDocument &document, const EntryRules &rules,
                         std::vector<TranslationChange> &changes, std::optional<TranslationFormat> format)
{
    changes.clear();
    const std::optional<TranslationFormat> chosen = format ? format : translationFormatFromPath(path);
    if (!chosen)
        return Result::failure(QStringLiteral("%1: a translation is read from .po, .pot, .xlf or .xliff").arg(path));
    QByteArray bytes;
    const Result read = readFileBytes(path, bytes);
    if (!read)
        return read.within(path);
    std::vector<TranslatedText> texts;
    const Result parsed = readTranslation(*chosen, bytes, path, texts);
    if (!parsed)
        return parsed;
    return placeTranslations(texts, path, document, rules, changes);
}

} // namespace quillet
