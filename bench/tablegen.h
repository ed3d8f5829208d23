#pragma once

// GXT files made up for the benchmarks, byte by byte as the game ships them rather than as
// our writer lays them out: records in the order the game searches them, but texts in the
// order they were written (so not in key order), some records sharing one text, some texts
// no record points at any more, table blocks on 4-byte boundaries. Texts are glyph numbers
// of the game's Western European font (0x80-0xB1 for the accented letters), Windows-1252
// values (the fourth game) or UTF-8 (the fifth game's GXT2), with colour codes and
// placeholders and a few long help texts. Deterministic: every run measures the same bytes.
#include <QByteArray>

#include <vector>

namespace quilletbench {

// The generator's own word for the layouts, apart from the core it measures.
enum class Layout { Flat, Tabled, Hashed, HashedSingle, Gxt2 };
const char *layoutId(Layout layout);

// The hash a hashed file's keys are stored by: the third game's, or the fourth and fifth's.
enum class KeyHashKind { Crc32, OneAtATime };

// What a text's units stand for: glyph numbers of the game's Western European font (the
// three early games), Windows-1252 values (the fourth game's Western releases), or Unicode
// characters written as UTF-8 (the fifth game).
enum class Script { GameFont, Windows1252, Unicode };

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
    KeyHashKind hash = KeyHashKind::Crc32;
    Script script = Script::GameFont;
    // Whether MAIN's records stand in name order rather than in the order the game searches
    // them, as in some shipped fourth-game files and in files of one table.
    bool mainUnordered = false;
    bool bigEndian = false; // GXT2 only
    // GXT2: share of texts holding one byte that is not UTF-8 (a Windows-1252 letter a mod
    // tool let through), which a reader must keep as it is.
    double strayByteShare = 0.0;
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

// The fourth game's largest shape: hashed 16-bit, keys by the one-at-a-time hash, 524
// tables, about 50,000 entries and 3 MB; Windows-1252 texts, a fifth of the tables in glyph
// numbers of an Asian font (up to 0x950, a few in 0xE000-0xE780), MAIN's records in name
// order rather than hash order.
FileShape fourthShape();
// The fourth game's update file of one table, no TABL: 2,000 entries, records in name order.
FileShape fourthSingleShape();
// The fifth game's GXT2: one table of 3,500 entries, UTF-8 texts in Western languages with
// accents, Russian and Chinese or Japanese, records not in hash order.
FileShape gxt2Shape();

// The file's bytes.
QByteArray generateFile(const FileShape &shape);

} // namespace quilletbench
