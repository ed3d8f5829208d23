#pragma once

// Tables made up for the benchmarks: deterministic, so every run measures the same bytes,
// and shaped like real game text rather than like filler.
#include "stringentry.h"

#include <QString>

#include <vector>

namespace quilletbench {

struct TableShape {
    const char *label;
    int entries;
    // Mean characters per value over the whole table, the long values included.
    double meanValueLength;
    // A few values of several thousand characters (credits, help pages).
    int longValues;
    int longValueMin;
    int longValueMax;
    // Share of entries whose name repeats an earlier one.
    double repeatedNameShare;
    unsigned seed;
};

// The largest table the format allows: 32766 entries, values of about 60 characters.
TableShape largestShape();
// Shaped like the game's main table: about 2,650 entries in a file of about 220 KB.
TableShape mainShape();

// One entry: the editor with this open has paid every cost of showing a table that does
// not grow with its size.
TableShape oneEntryShape();

// Rows in no particular order; names of upper-case letters, digits and underscores of up
// to 8 characters; values with colour codes and Windows-1252 characters beyond ASCII.
std::vector<quillet::StringEntry> generateTable(const TableShape &shape);

} // namespace quilletbench
