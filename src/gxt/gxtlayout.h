#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace quillet {

// The three layouts of the format that the game's series uses.
//  - Flat: "TKEY" records of a text offset and an 8-byte key, "TDAT" 16-bit texts.
//  - Tabled: "TABL", a table of named tables, each with keys by name and 16-bit texts.
//  - Hashed: a version and width header, then "TABL" as in tabled, but keys stored only as
//    a hash of their name, and texts of 8 or 16 bits.
enum class GxtLayout { Flat, Tabled, Hashed };

// "flat", "tabled", "hashed": the words of the text forms and of the tool.
QString layoutName(GxtLayout layout);
std::optional<GxtLayout> layoutFromName(const QString &name);

// Which layout the first bytes of a file announce; nothing for a file Quillet does not know.
// Eight bytes decide every case; fewer may be too few.
std::optional<GxtLayout> detectLayout(QByteArrayView head);

// Limits of what a GXT file can hold, as this editor reads and writes it.
namespace GxtLimits {
// Entries of one table.
inline constexpr int MaxEntries = 32766;
// A flat or tabled key, and a table name: the width of their fields.
inline constexpr int MaxNameLength = 8;
// Text units of one value.
inline constexpr int MaxValueLength = 32766;
// The hashed layout's game keeps no more tables than this.
inline constexpr int MaxHashedTables = 200;
} // namespace GxtLimits

// The name of the table that every tabled and hashed file lists first.
inline QString mainTableName()
{
    return QStringLiteral("MAIN");
}

} // namespace quillet
