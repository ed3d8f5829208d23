// The tabled format: "TABL", a table of named tables, MAIN first; each table a TKEY block of
// records {text offset, 8-byte key} and a TDAT block of 16-bit texts. The game finds a key
// by binary search in byte order.
#include "tabledformat.h"

#include "gxtformat.h"
#include "tableblocks.h"

#include <QtEndian>

#include <cstring>

namespace quillet {

namespace {

FormatTraits tabledTraits()
{
    FormatTraits t;
    t.id = "tabled";
    t.title = "GXT of tables (the second game)";
    t.layout = "tabled";
    t.game = "second game";
    t.keys = KeyKind::Name;
    t.recordSize = 12;
    t.hasTables = true;
    t.blockAlignment = 4;
    t.keyRule = NameRule{8, 7, false};
    t.tableRule = NameRule{8, 7, false};
    t.numbering = "western";
    t.invertedExclamation = 0x5E;
    return t;
}

class TabledFormat final : public GxtFormat
{
public:
    TabledFormat()
        : GxtFormat(tabledTraits())
    {
    }

    bool recognises(QByteArrayView head) const override
    {
        return head.size() >= 4 && head.first(4) == QByteArrayView("TABL");
    }

    void readRecord(const char *record, StringEntry &entry, qint64 &textOffset) const override
    {
        textOffset = qFromLittleEndian<qint32>(record);
        entry.name = RawName::fromBytes(QByteArrayView(record + 4, RawName::Capacity));
    }

    void writeRecord(char *record, const StringEntry &entry, qint64 textOffset) const override
    {
        qToLittleEndian<qint32>(qint32(textOffset), record);
        std::memcpy(record + 4, entry.name.field().data(), RawName::Capacity);
    }

    bool keyLess(const StringEntry &a, const StringEntry &b) const override { return a.name < b.name; }

    Result read(ByteSource &source, RawDocument &out, ReadContext &context) const override
    {
        BlockReader reader(source, context);
        out.format = this;
        out.bits = 16;
        out.hash = nullptr;
        if (!readTableOfTables(reader, *this, 0, 16, out))
            return Result::failure(reader.error());
        Result result;
        result.addWarnings(reader.warnings());
        return result;
    }

    Result write(int bits, const std::vector<const RawTable *> &tables, QByteArray &out,
                 FileProgress &progress) const override
    {
        out.clear();
        if (bits != 16)
            return Result::failure(QStringLiteral("a tabled GXT file has 16-bit texts, not %1-bit ones").arg(bits));
        return writeTableOfTables(*this, QByteArrayView(), 16, tables, out, progress);
    }
};

} // namespace

const GxtFormat &tabledFormat()
{
    static const TabledFormat format;
    return format;
}

} // namespace quillet
