#pragma once

#include <QString>

#include <vector>

namespace quillet {

class GxtFormat;
class KeyHash;
struct RawTable;

// The built-in numbering a file's texts read best under, for a file opened without a choice
// of its own: the most units above 0x7F that read as letters standing beside letters (the
// French "échoué" reads so in the game's numbering and as "žchouž" in Windows-1252, where
// only the letters count), then the fewest units it cannot show; ties go to the format's
// own (for the game `hash` tells where the format is shared). Texts of `tables` are read up
// to `unitLimit` units, which is evidence enough.
QString bestNumbering(const GxtFormat &format, const std::vector<const RawTable *> &tables, const KeyHash *hash = nullptr,
                      qsizetype unitLimit = 400000);

} // namespace quillet
