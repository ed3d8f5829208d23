// The flat format of the first game: one table, "TKEY" records of a text offset and an
// 8-byte name, then "TDAT" and the 16-bit texts. Neither tag nor the TDAT size is looked at.
// A name field is read as the game reads it, as a C string: the name ends at its first zero
// byte, whatever follows (the Japanese table's "HEY\0\0USE" is HEY); the spaces round it
// go, as they always have.
#include "flatformat.h"

#include "codepage.h"
#include "gxtformat.h"
#include "keyhash.h"
#include "tableblocks.h"

#include <QtEndian>

#include <cstring>

namespace quillet {

namespace {

// The Windows-1252 character of each byte, as a number that orders as the character does.
const std::array<char16_t, 256> &flatKeyCodes()
{
    static const std::array<char16_t, 256> codes = [] {
        std::array<char16_t, 256> table{};
        const CodePage &page = CodePage::windows1252();
        for (int b = 0; b < 256; ++b)
            table[size_t(b)] = page.decode(uchar(b)).unicode();
        return table;
    }();
    return codes;
}

FormatTraits flatTraits()
{
    FormatTraits t;
    t.id = "flat";
    t.title = "flat GXT (one table, the first games)";
    t.layout = "flat";
    t.game = "first game";
    t.keys = KeyKind::Name;
    t.recordSize = 12;
    t.hasTables = false;
    t.blockAlignment = 1;
    t.keyRule = NameRule{8, 7, false};
    t.tableRule = NameRule{8, 7, false};
    t.numbering = "western";
    t.invertedExclamation = 0xB0;
    return t;
}

class FlatFormat final : public GxtFormat
{
public:
    FlatFormat()
        : GxtFormat(flatTraits())
    {
    }

    bool recognises(QByteArrayView head) const override
    {
        return head.size() >= 4 && head.first(4) == QByteArrayView("TKEY");
    }
    bool readsUntagged() const override { return true; }

    void readRecord(const char *record, StringEntry &entry, qint64 &textOffset) const override
    {
        textOffset = qFromLittleEndian<qint32>(record);
        const char *kept = record + 4;
        int length = 0;
        while (length < RawName::Capacity && kept[length] != 0)
            ++length;
        int first = 0;
        while (first < length && kept[first] == ' ')
            ++first;
        while (length > first && kept[length - 1] == ' ')
            --length;
        entry.name = RawName::fromBytes(QByteArrayView(kept + first, length - first));
    }

    void writeRecord(char *record, const StringEntry &entry, qint64 textOffset) const override
    {
        qToLittleEndian<qint32>(qint32(textOffset), record);
        std::memcpy(record + 4, entry.name.field().data(), RawName::Capacity);
    }

    bool keyLess(const StringEntry &a, const StringEntry &b) const override
    {
        // By the character codes of the names' Windows-1252 characters, a prefix first.
        const auto &codes = flatKeyCodes();
        const QByteArrayView x = a.name.bytes();
        const QByteArrayView y = b.name.bytes();
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [&codes](char p, char q) {
            return codes[uchar(p)] < codes[uchar(q)];
        });
    }

    Result read(ByteSource &source, RawDocument &out, ReadContext &context) const override
    {
        BlockReader reader(source, context);
        out.format = this;
        out.bits = 16;
        out.hash = nullptr;
        const qint64 size = reader.size();
        if (size < 8)
            return Result::failure(QStringLiteral("the file is %1 bytes long; a GXT file has at least 8").arg(size));
        const char *head = reader.at(0, 8);
        if (!head)
            return Result::failure(reader.error());
        const qint64 keySize = qFromLittleEndian<qint32>(head + 4);
        if (keySize < 0)
            return Result::failure(QStringLiteral("the TKEY size %1 is negative").arg(keySize));
        if (keySize % 12 != 0)
            return Result::failure(QStringLiteral("the TKEY size %1 is not a multiple of 12").arg(keySize));
        if (8 + keySize > size) {
            return Result::failure(QStringLiteral("the TKEY size %1 reaches past the end of the file (%2 bytes)")
                                       .arg(keySize)
                                       .arg(size));
        }
        const qint64 count = keySize / 12;
        if (count > traits().maxEntries) {
            return Result::failure(QStringLiteral("the file has %1 entries; at most %2 can be loaded")
                                       .arg(count)
                                       .arg(traits().maxEntries));
        }
        context.progress.setMaximum(double(keySize) / 4.0);
        out.tables.resize(1);
        RawTable &table = out.tables.front();
        table.name = mainTableRawName();
        // The texts count from the first byte after D, and only the end of the file bounds
        // them: D is not read.
        const TableBlock block{8, count, 16 + keySize, size};
        if (!reader.readEntries(*this, 0, table.name, block, 2, table.entries, BlockReader::TextsEnd::File))
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
            return Result::failure(QStringLiteral("a flat GXT file has 16-bit texts, not %1-bit ones").arg(bits));
        if (tables.size() != 1)
            return Result::failure(QStringLiteral("a flat GXT file holds exactly one table, not %1").arg(tables.size()));
        return writeOneTableFile(*this, {}, 16, *tables.front(), out, progress);
    }
};

} // namespace

const GxtFormat &flatFormat()
{
    static const FlatFormat format;
    return format;
}

} // namespace quillet
