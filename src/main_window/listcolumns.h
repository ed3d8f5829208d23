#pragma once

class QTreeView;

namespace quillet {

// How wide the string list's Name column must be for a name of the most characters a file
// holds, in the list's font, whatever font the system put in the place of the
// one asked for: the widest such name fits without being cut short.
// A hashed file's keys may show as "#" and eight hex digits: `characters` is then 9.
int nameColumnWidth(const QTreeView &list, int characters = 8);

// Gives the Name column `nameWidth` and the Value column the rest of the list's width, as
// that width changes when a scroll bar comes and goes; beside a Reference column, the two
// share the rest.
void fitListColumns(QTreeView &list, int nameWidth);

} // namespace quillet
