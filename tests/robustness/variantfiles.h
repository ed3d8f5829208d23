#pragma once

// Makes files of the later variants of the GXT format, which this editor does not read: a
// table of tables ("TABL", then one record per table: an 8-byte table name and the offset
// of the table's block), where every block is a TKEY/TDAT pair of its own and every table
// but the first starts with its name again. One flavour starts with "TABL"; the other puts
// a 4-byte version header first (a 16-bit version, then the bits per character) and keys
// its records by a 32-bit hash of the name instead of the name itself.
// Only our own code makes these bytes; they serve the tests and the fuzzer's seeds.
#include <QByteArray>
#include <QList>
#include <QtEndian>

namespace variantfiles {

struct Table {
    QByteArray name;
    QList<QPair<QByteArray, QByteArray>> entries; // key, Latin-1 text
};

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

// Not any particular game's hash; only something that spreads names over 32 bits.
inline quint32 keyHash(const QByteArray &key)
{
    quint32 h = 2166136261u;
    for (char c : key)
        h = (h ^ quint8(c)) * 16777619u;
    return h;
}

// bitsPerChar 16: texts as 16-bit units, records keyed by name (offset, name[8]).
// bitsPerChar 8: texts as bytes, records keyed by hash (offset, hash).
inline QByteArray keyBlock(const Table &table, int bitsPerChar)
{
    QByteArray records;
    QByteArray texts;
    for (const auto &[key, text] : table.entries) {
        records += le32(quint32(texts.size()));
        if (bitsPerChar == 16) {
            records += key.leftJustified(8, '\0', true);
            for (char c : text) {
                texts += c;
                texts += '\0';
            }
            texts += QByteArray(2, '\0');
        } else {
            records += le32(keyHash(key));
            texts += text;
            texts += '\0';
        }
    }
    return "TKEY" + le32(quint32(records.size())) + records + "TDAT" + le32(quint32(texts.size())) + texts;
}

// versionHeader: false gives "TABL" at byte 0 with 16-bit texts; true gives the 4-byte
// header (version 4, then bitsPerChar) and "TABL" at byte 4.
inline QByteArray tableOfTables(const QList<Table> &tables, bool versionHeader, int bitsPerChar = 16)
{
    const QByteArray header = versionHeader ? QByteArray("\x04\x00", 2) + char(bitsPerChar) + '\0' : QByteArray();
    const qsizetype tablStart = header.size();
    const qsizetype firstBlock = tablStart + 8 + 12 * tables.size();

    QList<QByteArray> blocks;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const QByteArray prefix = i == 0 ? QByteArray() : tables[i].name.leftJustified(8, '\0', true);
        blocks.append(prefix + keyBlock(tables[i], bitsPerChar));
    }
    QByteArray out = header + "TABL" + le32(quint32(12 * tables.size()));
    qsizetype at = firstBlock;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        out += tables[i].name.leftJustified(8, '\0', true);
        out += le32(quint32(at));
        at += blocks[i].size();
    }
    for (const QByteArray &block : blocks)
        out += block;
    return out;
}

// A main table and two mission tables, enough to look like the real thing.
inline QList<Table> sampleTables()
{
    return {
        {"MAIN", {{"INTRO", "Welcome to the city"}, {"FM1_A", "~r~Stop!"}, {"EMPTY", ""}}},
        {"MISS1", {{"M1_01", "Drive to the docks."}, {"M1_02", "You lost him."}}},
        {"MISS2", {{"M2_01", "Collect the package."}}},
    };
}

} // namespace variantfiles
