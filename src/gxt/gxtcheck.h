#pragma once

#include "entryrules.h"
#include "rawgxt.h"

#include <vector>

#include <QString>
#include <QStringList>

namespace quillet {

// What a check of a document that reads well finds: what the game would trip on, and how
// many entries hold units the character numbering cannot show. The tool's check prints it
// and the window shows its warnings after a load.
struct CheckReport {
    // Repeated keys in a table, keys out of the order the game searches them, a table name
    // twice, more tables than the game keeps; keys named as `rules` shows them.
    QStringList warnings;
    qsizetype entries = 0;
    // Entries with a unit that shows as an escape, and the first of them, as messages name it.
    qsizetype escapedEntries = 0;
    QString firstEscaped;
    // "units that the character numbering X does not show read as ⟨XXXX⟩ escapes, in N
    // entries (the first: ...)"; empty when there are none.
    QString escapeNote(const EntryRules &rules) const;
};

CheckReport checkDocument(const RawDocument &document, const EntryRules &rules);

// Counts the entries whose texts hold units the numbering cannot show, as a reader of
// `document` hands the texts over: a check that never keeps the texts at all. The numbering
// is asked for once the reader knows the document's format.
class EscapeCounter : public TextInspector
{
public:
    EscapeCounter(const RawDocument &document, NumberingFor numberingFor)
        : m_document(document)
        , m_numberingFor(std::move(numberingFor))
    {
    }
    void inspect(int table, int entry, QStringView units) override;
    // The escapes found into the report, entries named as `rules` names them.
    void reportInto(CheckReport &report, const EntryRules &rules) const;

private:
    const RawDocument &m_document;
    NumberingFor m_numberingFor;
    std::shared_ptr<const CharacterNumbering> m_numbering;
    bool m_asked = false;
    qsizetype m_count = 0;
    int m_firstTable = -1;
    int m_firstEntry = -1;
};
// The same over a document's tables; without `countEscapes` no text is looked at.
CheckReport checkDocument(const GxtFormat &format, const std::vector<const RawTable *> &tables, const EntryRules &rules,
                          bool countEscapes = true);

} // namespace quillet
