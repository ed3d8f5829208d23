// GXT2, the fifth game's format: one table of hashed keys and UTF-8 texts.
//
//   "2TXG" u32 N                  ("GXT2" and big-endian integers on consoles)
//   N records {u32 key hash, u32 text offset from the start of the file}
//   "2TXG" u32 total file size
//   texts: UTF-8, each ended by one zero byte
//
// A text's units are its UTF-16 code units; a byte that is not UTF-8 is kept as the lone
// surrogate 0xDC00 + the byte, which shows as an escape and writes back as that byte.
#include "gxt2format.h"

#include "gxtformat.h"
#include "keyhash.h"
#include "tableblocks.h"
#include "utf8units.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

FormatTraits gxt2Traits(bool bigEndian)
{
    FormatTraits t;
    t.id = bigEndian ? "gxt2-be" : "gxt2";
    t.title = bigEndian ? "GXT2, big-endian (the fifth game on consoles)" : "GXT2 (the fifth game)";
    t.layout = "gxt2";
    t.bigEndian = bigEndian;
    t.game = "fifth game";
    t.encoding = TextEncoding::Utf8;
    t.extension = "gxt2";
    t.keys = KeyKind::Hash;
    t.hash = &KeyHash::oneAtATime();
    t.recordSize = 8;
    t.hasTables = false;
    t.blockAlignment = 1;
    t.keyRule = NameRule{0, NameRule::NoLimit, true};
    t.tableRule = NameRule{8, 7, false};
    t.numbering = "unicode";
    t.invertedExclamation = 0x5E;
    return t;
}

class Gxt2Format final : public GxtFormat
{
public:
    explicit Gxt2Format(bool bigEndian)
        : GxtFormat(gxt2Traits(bigEndian))
        , m_big(bigEndian)
        , m_tag(bigEndian ? "GXT2" : "2TXG")
    {
    }

    bool recognises(QByteArrayView head) const override
    {
        return head.size() >= 4 && head.first(4) == QByteArrayView(m_tag, 4);
    }

    quint32 get(const char *p) const { return m_big ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p); }
    void put(char *p, quint32 value) const
    {
        if (m_big)
            qToBigEndian<quint32>(value, p);
        else
            qToLittleEndian<quint32>(value, p);
    }

    void readRecord(const char *record, StringEntry &entry, qint64 &textOffset) const override
    {
        entry.hash = get(record);
        textOffset = get(record + 4);
    }

    void writeRecord(char *record, const StringEntry &entry, qint64 textOffset) const override
    {
        put(record, entry.hash);
        put(record + 4, quint32(textOffset));
    }

    bool keyLess(const StringEntry &a, const StringEntry &b) const override { return a.hash < b.hash; }

    std::vector<int> entryOrder(const std::vector<StringEntry> &entries) const override
    {
        std::vector<quint64> keys(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            keys[i] = (quint64(entries[i].hash) << 32) | quint64(i);
        std::sort(keys.begin(), keys.end());
        std::vector<int> order(entries.size());
        for (size_t i = 0; i < keys.size(); ++i)
            order[i] = int(keys[i] & 0xFFFFFFFFu);
        return order;
    }

    QString unstorableText(QStringView units) const override { return Utf8Units::whyNotWritable(units); }

    Result read(ByteSource &source, RawDocument &out, ReadContext &context) const override
    {
        BlockReader reader(source, context);
        out.format = this;
        out.bits = 8;
        out.hash = traits().hash;
        const qint64 size = reader.size();
        if (size < 8)
            return Result::failure(QStringLiteral("the file is %1 bytes long; a GXT2 file has at least 16").arg(size));
        const char *head = reader.at(0, 8);
        if (!head)
            return Result::failure(reader.error());
        const qint64 count = get(head + 4);
        const qint64 textsStart = 16 + 8 * count;
        if (textsStart > size) {
            return Result::failure(QStringLiteral("the file says it holds %1 entries, more than its %2 bytes could hold")
                                       .arg(count)
                                       .arg(size));
        }
        if (count > traits().maxEntries) {
            return Result::failure(QStringLiteral("the file has %1 entries; at most %2 can be loaded")
                                       .arg(count)
                                       .arg(traits().maxEntries));
        }
        const char *middle = reader.at(8 + 8 * count, 8);
        if (!middle)
            return Result::failure(reader.error());
        if (QByteArrayView(middle, 4) != QByteArrayView(m_tag, 4)) {
            return Result::failure(QStringLiteral("expected the tag %1 at offset %2, after the records")
                                       .arg(QLatin1String(m_tag, 4))
                                       .arg(8 + 8 * count));
        }
        Result result;
        const qint64 stated = get(middle + 4);
        if (stated != size)
            result.addWarning(QStringLiteral("the file says it is %1 bytes long, but it is %2").arg(stated).arg(size));

        out.tables.resize(1);
        RawTable &table = out.tables.front();
        table.name = mainTableRawName();
        context.progress.setMaximum(double(3 * count));
        TableBlock block;
        block.keysAt = 8;
        block.count = count;
        block.dataStart = 0;
        block.dataEnd = size;
        // The texts lie between the records and the file's end; offsets count from the file's
        // start, so the texts of the block start at byte 0 and those before `textsStart` are
        // the records themselves, which no text may be.
        std::vector<StringEntry> &entries = table.entries;
        if (!reader.readUtf8Entries(*this, block, textsStart, entries))
            return Result::failure(reader.error());
        result.addWarnings(reader.warnings());
        return result;
    }

    Result write(int bits, const std::vector<const RawTable *> &tables, QByteArray &out,
                 FileProgress &progress) const override
    {
        out.clear();
        if (bits != 8)
            return Result::failure(QStringLiteral("a GXT2 file holds UTF-8 texts, not %1-bit ones").arg(bits));
        if (tables.size() != 1)
            return Result::failure(QStringLiteral("a GXT2 file holds exactly one table, not %1").arg(tables.size()));
        const RawTable &table = *tables.front();
        const qint64 count = qint64(table.entries.size());
        // Every text's length in UTF-8 first, once for each text however many entries share
        // it, so that a document too large is refused before a byte is made.
        QHash<const QChar *, qint64> lengths;
        std::vector<qint64> byteLengths(table.entries.size());
        qint64 size = 16 + 8 * count;
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const QString &units = table.entries[i].units;
            qint64 length = 0;
            if (units.isEmpty()) {
                length = 0;
            } else if (const auto known = lengths.constFind(units.constData()); known != lengths.cend()) {
                length = *known;
            } else {
                length = Utf8Units::byteLength(units);
                lengths.insert(units.constData(), length);
            }
            byteLengths[i] = length;
            size += length + 1;
        }
        if (size > LargestGxtFile)
            return Result::failure(tooLargeReason(count, size));
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const StringEntry &entry = table.entries[i];
            QString problem;
            if (entry.units.size() > traits().maxValueLength) {
                problem = QStringLiteral("the value has %1 characters; a GXT text holds at most %2")
                              .arg(entry.units.size())
                              .arg(traits().maxValueLength);
            } else {
                problem = unstorableText(entry.units);
                if (!problem.isEmpty())
                    problem = QStringLiteral("the text holds %1").arg(problem);
            }
            if (!problem.isEmpty()) {
                return Result::failure(QStringLiteral("%1: %2").arg(describeEntry(*this, QString(), int(i + 1), keyText(entry)),
                                                                    problem));
            }
        }
        progress.setMaximum(double(3 * count));
        const std::vector<int> order = entryOrder(table.entries);
        progress.pass();

        QByteArray bytes(size, '\0');
        char *p = bytes.data();
        std::memcpy(p, m_tag, 4);
        put(p + 4, quint32(count));
        p += 8;
        qint64 offset = 16 + 8 * count;
        for (int i : order) {
            writeRecord(p, table.entries[size_t(i)], offset);
            p += 8;
            offset += byteLengths[size_t(i)] + 1;
            progress.record();
        }
        std::memcpy(p, m_tag, 4);
        put(p + 4, quint32(size));
        p += 8;
        for (int i : order) {
            p = Utf8Units::write(table.entries[size_t(i)].units, p);
            ++p; // the terminator: the buffer is zeroed
            progress.text();
        }
        Q_ASSERT(p == bytes.data() + bytes.size());
        progress.reset();
        out = std::move(bytes);
        return {};
    }

private:
    bool m_big;
    const char *m_tag;
};

} // namespace

const GxtFormat &gxt2Format()
{
    static const Gxt2Format format(false);
    return format;
}

const GxtFormat &gxt2BigEndianFormat()
{
    static const Gxt2Format format(true);
    return format;
}

} // namespace quillet
