#pragma once

// Documents of the game's tabled and hashed layouts, shaped as the game's own are: a main
// table and two mission tables, with colour codes and an empty text. Entries stand in the
// order given here, which is not the order the game searches (nor our writer's), as in
// files of other tools; tests/support/layoutbytes.h lays them out as bytes. They serve the
// tests and the fuzzer's seeds.
#include "keynames.h"
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

// The tables as a document of `layout`: keys by name, or by the hash of their name.
inline quillet::RawDocument document(const QList<Table> &tables, quillet::GxtLayout layout, int bits = 16)
{
    quillet::RawDocument raw;
    raw.layout = layout;
    raw.bits = layout == quillet::GxtLayout::Hashed ? bits : 16;
    for (const Table &table : tables) {
        quillet::RawTable rawTable;
        rawTable.name = quillet::RawName::fromBytes(table.name);
        for (const auto &[key, units] : table.entries) {
            quillet::RawEntry entry;
            if (layout == quillet::GxtLayout::Hashed)
                entry.hash = quillet::keyHash(key);
            else
                entry.key = quillet::RawName::fromBytes(key);
            entry.units = units;
            rawTable.entries.push_back(entry);
        }
        raw.tables.push_back(rawTable);
    }
    return raw;
}

} // namespace variantfiles
