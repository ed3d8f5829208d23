#pragma once

#include "entryrules.h"
#include "rawgxt.h"

#include <QString>

#include <vector>

namespace quillet {

// One way two GXT files differ, as a user reads them.
struct GxtDifference {
    enum Kind { Layout, TableAdded, TableRemoved, EntryAdded, EntryRemoved, EntryChanged };
    Kind kind = Layout;
    QString table;
    QString key;
    // Layout: the two layouts and widths; a table: its entry count on the side that has it;
    // an entry: its value on the side that has it, or both values when it changed.
    QString before;
    QString after;

    friend bool operator==(const GxtDifference &, const GxtDifference &) = default;
};

// What differs between two documents as a user reads them, each through its own rules
// (numbering and key names): the format and width, tables by name, keys within a table by
// name, values as text. Order in the file does not count, since a save puts tables and keys
// in its own order. A key that repeats in a table is matched occurrence by occurrence. When
// either side stores hashes, keys are matched by their hash, so that a name matches the
// hash it stands for, and shown by a name where either side knows one.
//
// Differences come in a stable order: the format, then the tables of `before` in its order
// followed by those only `after` has; within a table, by key.
std::vector<GxtDifference> diffDocuments(const RawDocument &before, const EntryRules &beforeRules,
                                         const RawDocument &after, const EntryRules &afterRules);

// One line, without a line break:
//   layout: tabled, 16-bit texts -> hashed, 8-bit texts
//   table added: NAME, 3 entries            table removed: NAME, 2 entries
//   added: TABLE/KEY = "value"              removed: TABLE/KEY = "value"
//   changed: TABLE/KEY = "old" -> "new"
// Values are quoted with JSON's escapes; when both files are flat the table is left out.
QString formatDifference(const GxtDifference &difference, bool showTable = true);

} // namespace quillet
