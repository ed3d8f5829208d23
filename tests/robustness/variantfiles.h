#pragma once

// Documents of the game's tabled and hashed layouts, shaped as the game's own are: a main
// table and two mission tables, with colour codes and an empty text. Entries stand in the
// order given here, which is not the order the game searches (nor our writer's), as in
// files of other tools; tests/support/layoutbytes.h lays them out as bytes. They serve the
// tests and the fuzzer's seeds.
#include "gxtformat.h"
#include "keyhash.h"
#include "rawgxt.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace variantfiles {

struct Table {
    QByteArray name;
    QList<QPair<QByteArray, QString>> entries; // key, text as units
};

// A main table and two mission tables, enough to look like the real thing.
inline QList<Table> sampleTables()
{
    return {
        {"MAIN", {{"INTRO", QStringLiteral("Welcome to the city")}, {"FM1_A", QStringLiteral("~r~Stop!")}, {"EMPTY", QString()}}},
        {"MISS1", {{"M1_01", QStringLiteral("Drive to the docks.")}, {"M1_02", QStringLiteral("You lost him.")}}},
        {"MISS2", {{"M2_01", QStringLiteral("Collect the package.")}}},
    };
}

// The tables as a document of `format`: keys by name, or by the hash of their name.
inline quillet::RawDocument document(const QList<Table> &tables, const quillet::GxtFormat &format, int bits = 16)
{
    quillet::RawDocument raw;
    raw.format = &format;
    raw.bits = format.takesBits(bits) ? bits : 16;
    raw.hash = format.traits().hash;
    for (const Table &table : tables) {
        quillet::RawTable rawTable;
        rawTable.name = quillet::RawName::fromBytes(table.name);
        for (const auto &[key, units] : table.entries) {
            quillet::StringEntry entry;
            if (format.storesHashes())
                entry.hash = (*raw.hash)(key);
            else
                entry.name = quillet::RawName::fromBytes(key);
            entry.units = units;
            rawTable.entries.push_back(entry);
        }
        raw.tables.push_back(rawTable);
    }
    return raw;
}

} // namespace variantfiles
