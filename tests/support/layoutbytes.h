#pragma once

// Builds GXT files of every layout byte by byte, independently of the writer, so that tests
// and the fuzzer's seeds can hold what real files do and our writer never does: texts in
// another order than their keys, shared texts, padding inside or outside a table's texts,
// table blocks at any offset and in any order, a block that repeats another name than its
// record, and damaged sizes, tags and offsets. The builder also says what each byte of the
// file is, so that a sweep which damages a byte knows what that damage may change.
#include "gxtformat.h"
#include "rawgxt.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace layoutbytes {

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

// An 8-byte name field: the bytes given, cut or padded with zero bytes.
inline QByteArray field(const QByteArray &name)
{
    return name.leftJustified(8, '\0', true);
}

// One text as a table's texts hold it: every unit (one per QChar), then the terminator.
inline QByteArray text(QStringView units, int bits = 16)
{
    QByteArray out;
    for (QChar c : units) {
        if (bits == 16)
            out += le16(c.unicode());
        else
            out += char(uchar(c.unicode()));
    }
    out += QByteArray(bits / 8, '\0');
    return out;
}

struct Record {
    qint64 offset = 0;  // as stored: i32 in the flat and tabled layouts, u32 in the hashed one
    QByteArray key;     // flat and tabled: the 8-byte field (cut or padded with zeros)
    quint32 hash = 0;   // hashed
};

struct Table {
    QByteArray name;                      // the name in the table's TABL record
    QList<Record> records;
    QByteArray data;                      // TDAT's bytes: texts, and any padding that D counts
    std::optional<QByteArray> blockName;  // what the block repeats; the record's name by default
    std::optional<qint64> keySize;        // K as stored; the records' size by default
    std::optional<qint64> dataSize;       // D as stored; data's size by default
    std::optional<qint64> offset;         // the TABL record's offset; where the block stands by default
    QByteArray keyTag = "TKEY";
    QByteArray dataTag = "TDAT";
    qsizetype gapBefore = 0;              // zero bytes before the block, past the alignment
};

inline Table table(const QByteArray &name, const QList<Record> &records, const QByteArray &data)
{
    Table made;
    made.name = name;
    made.records = records;
    made.data = data;
    return made;
}

struct File {
    const quillet::GxtFormat *format = quillet::GxtFormat::byId(QStringLiteral("tabled"));
    quint16 version = 4;                  // hashed
    quint16 bits = 16;                    // hashed: 8 or 16 (or any damage)
    QList<Table> tables;                  // a flat file uses the first table only
    QByteArray tablTag = "TABL";
    std::optional<qint64> tablSize;       // S as stored; the records' size by default
    int alignment = 4;                    // tables: blocks, and the file's end, on a multiple of this
    QList<int> blockOrder;                // the order blocks stand in; table order when empty
    QByteArray trailing;                  // after everything, whatever the alignment

    bool flat() const { return !format->hasTables(); }
    bool hashed() const { return format->storesHashes(); }
    int recordSize() const { return hashed() ? 8 : 12; }
    int unitBytes() const { return hashed() ? bits / 8 : 2; }
};

// What a byte of a built file is.
enum class Part {
    Header,       // the hashed layout's version and width
    TablTag,
    TablSize,
    TableName,    // a TABL record's name
    TableOffset,  // a TABL record's offset
    BlockName,    // the name a block repeats
    KeyTag,
    KeySize,
    RecordOffset,
    RecordKey,    // a key field or a hash
    DataTag,
    DataSize,
    Texts,        // the D bytes of a table
    Gap,          // bytes no size counts: alignment, gaps, trailing bytes
};

struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
    Part part = Part::Gap;
    int table = -1;
    int record = -1;
};

// The part that the byte at `position` belongs to.
inline Span spanAt(const QList<Span> &spans, qsizetype position)
{
    for (const Span &s : spans) {
        if (position >= s.begin && position < s.end)
            return s;
    }
    return {position, position + 1, Part::Gap, -1, -1};
}

inline QByteArray build(const File &file, QList<Span> *spans = nullptr)
{
    const bool flat = file.flat();
    const bool hashed = file.hashed();
    QByteArray out;
    QList<Span> parts;
    auto put = [&](const QByteArray &bytes, Part part, int table = -1, int record = -1) {
        if (!bytes.isEmpty())
            parts.append({out.size(), out.size() + bytes.size(), part, table, record});
        out += bytes;
    };
    auto padTo = [&](int alignment) {
        if (alignment > 1 && out.size() % alignment != 0)
            put(QByteArray(alignment - out.size() % alignment, '\0'), Part::Gap);
    };

    const int tableCount = flat ? std::min<int>(1, int(file.tables.size())) : int(file.tables.size());
    std::vector<qsizetype> offsetFieldAt(static_cast<size_t>(tableCount), 0);
    if (!flat) {
        if (hashed)
            put(le16(file.version) + le16(file.bits), Part::Header);
        put(file.tablTag, Part::TablTag);
        put(le32(quint32(file.tablSize.value_or(12 * qint64(tableCount)))), Part::TablSize);
        for (int t = 0; t < tableCount; ++t) {
            put(field(file.tables[t].name), Part::TableName, t);
            offsetFieldAt[size_t(t)] = out.size();
            put(le32(0), Part::TableOffset, t); // filled in once the block stands somewhere
        }
    }

    std::vector<int> order(static_cast<size_t>(tableCount));
    std::iota(order.begin(), order.end(), 0);
    if (!file.blockOrder.isEmpty())
        order.assign(file.blockOrder.begin(), file.blockOrder.end());
    for (int t : order) {
        const Table &table = file.tables[t];
        if (!flat)
            padTo(file.alignment);
        put(QByteArray(table.gapBefore, '\0'), Part::Gap);
        const qint64 blockAt = out.size();
        // Every table but the first in the TABL block repeats its name before its keys.
        if (!flat && t > 0)
            put(field(table.blockName.value_or(table.name)), Part::BlockName, t);
        put(table.keyTag, Part::KeyTag, t);
        put(le32(quint32(table.keySize.value_or(file.recordSize() * qint64(table.records.size())))), Part::KeySize, t);
        for (int r = 0; r < int(table.records.size()); ++r) {
            const Record &record = table.records[r];
            put(le32(quint32(record.offset)), Part::RecordOffset, t, r);
            put(hashed ? le32(record.hash) : field(record.key), Part::RecordKey, t, r);
        }
        put(table.dataTag, Part::DataTag, t);
        put(le32(quint32(table.dataSize.value_or(table.data.size()))), Part::DataSize, t);
        put(table.data, Part::Texts, t);
        if (!flat)
            qToLittleEndian<quint32>(quint32(table.offset.value_or(blockAt)), out.data() + offsetFieldAt[size_t(t)]);
    }
    if (!flat)
        padTo(file.alignment);
    put(file.trailing, Part::Gap);
    if (spans)
        *spans = parts;
    return out;
}

// How a document's texts are laid out in its blocks.
struct Shape {
    bool textsReversed = false;  // texts stand in the reverse order of their records
    bool shareTexts = false;     // equal texts stand once, and their records share it
    int paddingInside = 0;       // zero bytes after the last text that D counts
    int alignment = 4;           // table blocks and the file's end on a multiple of this
    qsizetype gapBefore = 0;     // zero bytes before every block but the first
    bool blocksReversed = false; // blocks stand in the reverse order of their records
    QByteArray trailing;         // bytes after everything
};

// A document laid out as `shape` says, tables and records in the document's order. With the
// default shape and a document in writer order, the bytes are the writer's own.
inline File fromRaw(const quillet::RawDocument &document, const Shape &shape = {})
{
    File file;
    file.format = document.format;
    file.bits = quint16(document.bits);
    file.alignment = shape.alignment;
    file.trailing = shape.trailing;
    const int bits = file.hashed() ? document.bits : 16;
    for (const quillet::RawTable &raw : document.tables) {
        Table table;
        table.name = raw.name.bytes().toByteArray();
        table.gapBefore = file.tables.isEmpty() ? 0 : shape.gapBefore;
        const qsizetype count = qsizetype(raw.entries.size());
        table.records.resize(count);
        QHash<QString, qint64> placed;
        for (qsizetype k = 0; k < count; ++k) {
            const qsizetype i = shape.textsReversed ? count - 1 - k : k;
            const quillet::StringEntry &entry = raw.entries[size_t(i)];
            Record &record = table.records[i];
            record.key = entry.name.bytes().toByteArray();
            record.hash = entry.hash;
            if (shape.shareTexts && placed.contains(entry.units)) {
                record.offset = placed.value(entry.units);
                continue;
            }
            record.offset = table.data.size();
            placed.insert(entry.units, record.offset);
            table.data += text(entry.units, bits);
        }
        table.data += QByteArray(shape.paddingInside, '\0');
        file.tables.append(table);
    }
    if (shape.blocksReversed) {
        for (int t = int(file.tables.size()) - 1; t >= 0; --t)
            file.blockOrder.append(t);
    }
    return file;
}

} // namespace layoutbytes
