// The fourth game's files of one table, which its updates and mods ship: the hashed format's
// header (version 4, bits per character), then one TKEY block of {text offset, key hash}
// records and its TDAT block, without a TABL. Records are not always in hash order in such
// files; a save puts them in order, which the game's binary search needs.
#include "hashedsingleformat.h"

#include "gxtformat.h"
#include "hashrecords.h"
#include "keyhash.h"
#include "tableblocks.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

FormatTraits hashedSingleTraits()
{
    FormatTraits t;
    t.id = "hashed-single";
    t.title = "GXT of one table with hashed keys";
    t.layout = "hashed";
    t.single = true;
    t.game = "fourth game";
    t.keys = KeyKind::Hash;
    t.hash = &KeyHash::oneAtATime();
    t.recordSize = 8;
    t.takes8BitTexts = true;
    t.hasTables = false;
    t.blockAlignment = 1;
    t.keyRule = NameRule{0, NameRule::NoLimit, true};
    t.tableRule = NameRule{8, 7, false};
    t.numbering = "unicode"; // Windows-1252 values up to 0xFF, glyph numbers beyond in Asian releases
    t.invertedExclamation = 0x5E;
    return t;
}

class HashedSingleFormat final : public HashRecordFormat
{
public:
    HashedSingleFormat()
        : HashRecordFormat(hashedSingleTraits())
    {
    }

    // As in the hashed format, a header whose width or version is wrong is still this
    // format's, and damaged: TKEY after four bytes is no other file's, and the reader then
    // names what is wrong with the header rather than calling it no GXT file at all.
    bool recognises(QByteArrayView head) const override
    {
        return head.size() >= 8 && head.sliced(4, 4) == QByteArrayView("TKEY");
    }

    Result read(ByteSource &source, RawDocument &out, ReadContext &context) const override
    {
        BlockReader reader(source, context);
        out.format = this;
        out.hash = traits().hash;
        const char *header = reader.at(0, 4);
        if (!header)
            return Result::failure(reader.error());
        const quint16 version = qFromLittleEndian<quint16>(header);
        const quint16 bits = qFromLittleEndian<quint16>(header + 2);
        if (version != 4)
            return Result::failure(QStringLiteral("the header gives the version %1; a hashed GXT file has version 4").arg(version));
        if (bits != 8 && bits != 16)
            return Result::failure(QStringLiteral("the header gives %1 bits per character; a GXT file has 8 or 16").arg(bits));
        out.bits = bits;
        out.tables.resize(1);
        RawTable &table = out.tables.front();
        table.name = mainTableRawName();
        const QString where = QStringLiteral("the table");
        qint64 keySize = 0;
        if (!reader.readBlockHeader(where, "TKEY", 4, traits().recordSize, keySize))
            return Result::failure(reader.error());
        TableBlock block;
        block.keysAt = 12;
        block.count = keySize / traits().recordSize;
        if (block.count > traits().maxEntries) {
            return Result::failure(QStringLiteral("the table has %1 entries; at most %2 can be loaded")
                                       .arg(block.count)
                                       .arg(traits().maxEntries));
        }
        qint64 dataSize = 0;
        const qint64 dataHeader = block.keysAt + keySize;
        if (!reader.readBlockHeader(where, "TDAT", dataHeader, 1, dataSize))
            return Result::failure(reader.error());
        block.dataStart = dataHeader + 8;
        block.dataEnd = block.dataStart + dataSize;
        context.progress.setMaximum(double(3 * block.count));
        if (!reader.readEntries(*this, 0, table.name, block, bits / 8, table.entries, BlockReader::TextsEnd::Table))
            return Result::failure(reader.error());
        Result result;
        result.addWarnings(reader.warnings());
        return result;
    }

    Result write(int bits, const std::vector<const RawTable *> &tables, QByteArray &out,
                 FileProgress &progress) const override
    {
        out.clear();
        if (bits != 8 && bits != 16)
            return Result::failure(QStringLiteral("a GXT file has 8 or 16 bits per character, not %1").arg(bits));
        if (tables.size() != 1)
            return Result::failure(QStringLiteral("a GXT file of one table holds exactly one table, not %1").arg(tables.size()));
        char header[4];
        qToLittleEndian<quint16>(4, header);
        qToLittleEndian<quint16>(quint16(bits), header + 2);
        return writeOneTableFile(*this, QByteArrayView(header, 4), bits, *tables.front(), out, progress);
    }
};

} // namespace

const GxtFormat &hashedSingleFormat()
{
    static const HashedSingleFormat format;
    return format;
}

} // namespace quillet
