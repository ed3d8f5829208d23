#pragma once

// GXT files made up for the benchmarks, byte by byte as the game ships them rather than as
// our writer lays them out: records in the order the game searches them, but texts in the
// order they were written (so not in key order), some records sharing one text, some texts
// no record points at any more, table blocks on 4-byte boundaries. Texts are glyph numbers
// of the game's Western European font (0x80-0xB1 for the accented letters), with colour
// codes and placeholders and a few long help texts. Deterministic: every run measures the
// same bytes.
#include <QByteArray>

#include <vector>

namespace quilletbench {

// The generator's own word for the three layouts, apart from the core it measures.
enum class Layout { Flat, Tabled, Hashed };
const char *layoutId(Layout layout);

struct FileShape {
    const char *label;
    Layout layout;
    int bits;                    // 8 or 16 (16 unless hashed)
    std::vector<int> tableSizes; // entries per table, MAIN first; one table for flat
    double meanValueLength;      // characters per stored text, the long ones included
    int longValues;              // help pages, credits: a few thousand characters each
    int longValueMin;
    int longValueMax;
    double sharedShare;          // share of records that point at an earlier record's text
    double orphanShare;          // texts, per record, that no record points at
    double accentedShare;        // share of words spelt with the font's accented glyphs
    unsigned seed;
    // Share of the tables, every other one after MAIN, whose texts are in glyph numbers of an
    // Asian font (0x100 to 0x950), which no Western numbering shows.
    double wideTableShare = 0.0;
};

// Flat: the most entries the format allows, 32,766, values of about 60 characters.
FileShape largestShape();
// Flat, shaped like the game's main table: about 2,650 entries in about 220 KB.
FileShape mainShape();
// Flat, one entry: what showing any table costs, whatever its size.
FileShape oneEntryShape();
// Hashed, like the game's: 127 tables, about 17,000 entries; about 1.34 MB with 16-bit
// texts, about 0.73 MB with 8-bit ones.
FileShape hashedShape(int bits);
// Tabled, like the game's: 79 tables, about 4,750 entries, about 410 KB.
FileShape tabledShape();
// Hashed 16-bit, shaped like an Asian release of a later game: 524 tables, 59,000 entries,
// about 3.5 MB, half of the tables in glyph numbers above 0xFF.
FileShape asianShape();

// The file's bytes.
QByteArray generateFile(const FileShape &shape);

} // namespace quilletbench
