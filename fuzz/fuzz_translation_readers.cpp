// Feeds arbitrary bytes to the PO and XLIFF readers (the first byte picks which) and places
// whatever they read into a small document of tables. A refusal is fine; what an import
// accepts must then export and import again without a change, and the readers must never
// crash, hang or touch memory they do not own. A broken promise aborts, which libFuzzer
// reports as a finding. Not part of fuzz/run.sh's flow: run it by hand,
//   build-fuzz/bin/fuzz_translation_readers -max_total_time=120 -detect_leaks=0
// (libgettextpo keeps some of what it allocates on a failed read).
#include "characternumbering.h"
#include "entryrules.h"
#include "gxtformat.h"
#include "translationexchange.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace quillet;

namespace {

RawDocument sample()
{
    RawDocument document;
    document.format = GxtFormat::byId(QStringLiteral("tabled"));
    for (const char *tableName : {"MAIN", "EXTRA"}) {
        RawTable table;
        table.name = RawName::fromBytes(tableName);
        for (const char *key : {"A", "B", "YES"}) {
            StringEntry entry;
            entry.name = RawName::fromBytes(key);
            entry.units = QStringLiteral("~r~text ~1~");
            table.entries.push_back(entry);
        }
        document.tables.push_back(table);
    }
    return document;
}

[[noreturn]] void broken(const char *what, const QString &detail)
{
    std::fprintf(stderr, "finding: %s: %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const RawDocument document = sample();
    static const auto numbering = CharacterNumbering::defaultFor(*document.format);
    static const EntryRules rules = EntryRules::of(document, *numbering);
    const TranslationFormat form = data[0] % 2 ? TranslationFormat::Xliff : TranslationFormat::Po;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    std::vector<TranslatedText> texts;
    if (!readTranslation(form, bytes, QStringLiteral("input"), texts))
        return 0;
    std::vector<TranslationChange> changes;
    if (!placeTranslations(texts, QStringLiteral("input"), document, rules, changes))
        return 0;
    RawDocument imported = document;
    applyTranslationChanges(imported, changes);

    // What came in goes out and back unchanged.
    QByteArray again;
    const Result written = writeTranslation(form, imported, rules, nullptr, again);
    if (!written)
        broken("an imported document does not export", written.errorString());
    std::vector<TranslatedText> back;
    const Result reread = readTranslation(form, again, QStringLiteral("again"), back);
    if (!reread)
        broken("our own export does not read", reread.errorString());
    // A template's texts are its sources: imported into an emptied copy, they rebuild it.
    RawDocument emptied = imported;
    for (RawTable &table : emptied.tables) {
        for (StringEntry &entry : table.entries)
            entry.units = QStringLiteral("-");
    }
    std::vector<TranslatedText> sources;
    for (const TranslationUnit &unit : translationUnits(imported, rules))
        sources.push_back(TranslatedText{unit.context, unit.source, 0});
    const Result placed = placeTranslations(sources, QStringLiteral("again"), emptied, rules, changes);
    if (!placed)
        broken("our own texts do not place", placed.errorString());
    applyTranslationChanges(emptied, changes);
    for (size_t t = 0; t < imported.tables.size(); ++t) {
        for (size_t e = 0; e < imported.tables[t].entries.size(); ++e) {
            const QString &want = imported.tables[t].entries[e].units;
            if (!want.isEmpty() && emptied.tables[t].entries[e].units != want)
                broken("a text changed on its way out and back", want);
        }
    }
    if (back.size() != sources.size())
        broken("the export lost messages", QString::number(back.size()));
    return 0;
}
