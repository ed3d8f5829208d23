#pragma once

#include "entryrules.h"
#include "rawgxt.h"

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

} // namespace quillet
