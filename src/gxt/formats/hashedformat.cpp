// The hashed format of the third and fourth games: a header of a version (4) and the bits
// per character (8 or 16), then a table of tables as in the tabled format, but with records
// {text offset, key hash}: the key's name is not in the file. The two games hash their keys
// differently, and nothing in the bytes tells which; the document's key hash says. The game
// finds a key by binary search on the hash as an unsigned number.
#include "hashedformat.h"

#include "gxtformat.h"
#include "hashrecords.h"
#include "keyhash.h"
#include "tableblocks.h"

#include <QtEndian>

#include <algorithm>

namespace quillet {

namespace {

FormatTraits hashedTraits()
{
    FormatTraits t;
    t.id = "hashed";
    t.title = "GXT of tables with hashed keys";
    t.layout = "hashed";
    t.game = "third game";
    t.gameByHash = true;
    t.keys = KeyKind::Hash;
    t.hash = &KeyHash::crc32();
    t.recordSize = 8;
    t.takes8BitTexts = true;
    t.hasTables = true;
    t.blockAlignment = 4;
    t.keyRule = NameRule{0, NameRule::NoLimit, true};
    t.tableRule = NameRule{8, 7, false};
    t.numbering = "western";
    t.invertedExclamation = 0x5E;
    return t;
}

class HashedFormat final : public HashRecordFormat
{
public:
    HashedFormat()
        : HashRecordFormat(hashedTraits())
    {
    }

    // A header whose width or version is wrong is still a hashed file, and damaged: the
    // reader then says so rather than calling it no GXT file at all.
    bool recognises(QByteArrayView head) const override
    {
        return head.size() >= 8 && head.sliced(4, 4) == QByteArrayView("TABL");
    }

    Result read(ByteSource &source, RawDocument &out, ReadContext &context) const override
    {
        BlockReader reader(source, context);
        out.format = this;
        out.hash = traits().hash;
        if (reader.size() < 8)
            return Result::failure(QStringLiteral("the file is %1 bytes long; a GXT file has at least 8").arg(reader.size()));
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
        if (!readTableOfTables(reader, *this, 4, bits, out))
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
        char header[4];
        qToLittleEndian<quint16>(4, header);
        qToLittleEndian<quint16>(quint16(bits), header + 2);
        return writeTableOfTables(*this, QByteArrayView(header, 4), bits, tables, out, progress);
    }
};

} // namespace

const GxtFormat &hashedFormat()
{
    static const HashedFormat format;
    return format;
}

} // namespace quillet
