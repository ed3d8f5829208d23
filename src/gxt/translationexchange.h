#pragma once

#include "entryrules.h"
#include "rawgxt.h"
#include "result.h"
#include "stringentry.h"
#include "translationstatus.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillet {

// A document's texts in the files of the translation world, and translations read back
// from them: gettext PO (Poedit, Weblate, Crowdin; poexchange.h) and XLIFF 1.2 (CAT tools;
// xliffexchange.h). Both carry the same units of work, built here once; both readers give
// back the same translated texts, placed here once.
//
// Texts are written as the document's numbering shows them, a unit it cannot show as its
// escape ("⟨E780⟩") and a line break as the escape of its unit, exactly as the txt form
// writes them; they read back through the same numbering into the very same units. An
// export followed by an import without an edit changes no entry.
enum class TranslationFormat { Po, Pot, Xliff };

// From the extension: .po, .pot, .xlf or .xliff; nothing for any other.
std::optional<TranslationFormat> translationFormatFromPath(const QString &path);

// How an entry is named in a translation file, in lint and wherever a translator sees it:
// "TABLE/KEY" in a document of tables, "KEY" in a file of one table, the key as the
// document's rules show it (a hashed key whose name is unknown as "#XXXXXXXX"). A key's
// second and later entries in one table add " (2)", " (3)" in record order, so that every
// entry has a context of its own.
QString translationContext(const EntryRules &rules, const RawTable &table, int row, int occurrence = 1);

// One entry as it goes to a translator.
struct TranslationUnit {
    QString context;
    // The reference's text; without a reference (a template), the entry's own.
    QString source;
    // The entry's text where it has one of its own; empty where untranslated, missing or a
    // template.
    QString target;
    // Without a reference every entry is Untranslated.
    TranslationState state = TranslationState::Untranslated;
    // What the text-code checks find, one message each.
    QStringList notes;
};

// Every entry of `document` in file order (tables, then records), then after each table the
// reference's entries it lacks (state Missing, no target), then the reference's tables it
// lacks. Without `reference`, a template: every entry's own text as its source.
std::vector<TranslationUnit> translationUnits(const RawDocument &document, const EntryRules &rules,
                                              const TranslationStatus *reference = nullptr);

// A translation a reader found: its context, its text, and the line of the file where its
// message or unit starts (for the message that names it).
struct TranslatedText {
    QString context;
    QString target;
    int line = 0;
};

// What an import changes: the entry at `row` of table `table` (file order) becomes `entry`
// (its identity and key kept, its units new); where `row` is -1, `entry` is a new entry the
// table gains at its end (a missing entry filled in).
struct TranslationChange {
    int table = 0;
    int row = -1;
    StringEntry entry;
};

// Where each translation goes in `document`: by context, through `rules`, each text encoded
// as the entry's value would be. An empty text leaves its entry as it is (untranslated) and
// is not placed at all (the reference's entries of a table the document lacks come so).
// A text equal to the entry's own changes nothing and is not listed. A context of a key the
// table lacks adds the entry to that table. Fails, naming `fileName` and the line, at the
// first context that names no table of the document or cannot be a key, and at the first
// text the document cannot store; `changes` is then empty.
Result placeTranslations(const std::vector<TranslatedText> &texts, const QString &fileName,
                         const RawDocument &document, const EntryRules &rules, std::vector<TranslationChange> &changes);

// `changes` made to `document` (a copy, for the tool; the window makes them one undo
// command instead): new entries are appended to their tables in the order listed.
void applyTranslationChanges(RawDocument &document, const std::vector<TranslationChange> &changes);

// The window's and the tool's one call for each way. Export writes `document` as PO (.po;
// a .pot is a template: no translations, whatever the reference), XLIFF (.xlf, .xliff) or
// `format` where given, atomically; import reads such a file and says what it changes,
// changing nothing itself. A file that cannot be read or does not parse fails with its name
// and, for PO and XLIFF, the line.
Result exportTranslation(const QString &path, const RawDocument &document, const EntryRules &rules,
                         const TranslationStatus *reference = nullptr,
                         std::optional<TranslationFormat> format = std::nullopt);
Result importTranslation(const QString &path, const RawDocument &document, const EntryRules &rules,
                         std::vector<TranslationChange> &changes,
                         std::optional<TranslationFormat> format = std::nullopt);

// The bytes of an export, for a caller that writes them itself.
Result writeTranslation(TranslationFormat format, const RawDocument &document, const EntryRules &rules,
                        const TranslationStatus *reference, QByteArray &out);
// The translations of a file's bytes; `fileName` names it in messages.
Result readTranslation(TranslationFormat format, const QByteArray &bytes, const QString &fileName,
                       std::vector<TranslatedText> &out);

} // namespace quillet
