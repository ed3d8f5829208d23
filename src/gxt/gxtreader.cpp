// The reader of all three layouts, over the bytes of a file in memory or on disk. It keeps
// every unit of every text as it is, and refuses a damaged file with a reason that names
// the table and the entry, leaving the caller's document empty.
#include "bytesource.h"
#include "entryrules.h"
#include "fileio.h"
#include "rawgxt.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace quillet {

RawName RawName::fromBytes(QByteArrayView bytes)
{
    RawName name;
    const qsizetype limit = std::min<qsizetype>(bytes.size(), qsizetype(name.m_bytes.size()));
    while (name.m_length < limit && bytes[name.m_length] != 0) {
        name.m_bytes[name.m_length] = bytes[name.m_length];
        ++name.m_length;
    }
    return name;
}

namespace {

qint32 readInt32(const char *p)
{
    return qFromLittleEndian<qint32>(p);
}

quint32 readUInt32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// A flat name field: every zero byte goes wherever it stands, then surrounding spaces.
RawName cleanFlatName(const char *field)
{
    char kept[GxtLimits::MaxNameLength];
    int length = 0;
    for (int i = 0; i < GxtLimits::MaxNameLength; ++i) {
        if (field[i] != 0)
            kept[length++] = field[i];
    }
    int first = 0;
    while (first < length && kept[first] == ' ')
        ++first;
    while (length > first && kept[length - 1] == ' ')
        --length;
    return RawName::fromBytes(QByteArrayView(kept + first, length - first));
}

// Where one table's pieces lie in the file.
struct TableBlock {
    qint64 keysAt = 0;     // first record
    qint64 count = 0;      // records
    qint64 dataStart = 0;  // first byte of the texts
    qint64 dataEnd = 0;    // where texts must have ended
};

template<typename Bytes>
class Reader
{
public:
    Reader(Bytes &source, const FileOperationHooks &hooks)
        : m_source(source)
        , m_progress(hooks)
        , m_size(source.size())
        // Texts may overlap, so the units read in all are bounded by the file's own size:
        // a damaged or hostile file cannot make the reader decode more than it could hold.
        , m_unitBudget(source.size() + (qint64(1) << 20))
    {
    }

    Result read(RawDocument &out)
    {
        out = RawDocument();
        Result result;
        const bool ok = readAny(out, result);
        if (!ok) {
            out = RawDocument();
            result.fail(m_error);
        }
        return result;
    }

private:
    bool fail(const QString &reason)
    {
        m_error = reason;
        return false;
    }

    // `length` bytes from `position`; the caller has made sure that they lie in the file.
    const char *at(qint64 position, qint64 length)
    {
        const char *p = m_source.at(position, length);
        if (!p)
            fail(m_source.errorString());
        return p;
    }

    bool readAny(RawDocument &out, Result &result)
    {
        if (m_size == 0)
            return fail(QStringLiteral("the file is 0 bytes long; a GXT file has at least 8"));
        const qint64 headSize = std::min<qint64>(m_size, 8);
        const char *head = at(0, headSize);
        if (!head)
            return false;
        const std::optional<GxtLayout> layout = detectLayout(QByteArrayView(head, headSize));
        if (layout == GxtLayout::Flat)
            return readFlat(out);
        if (layout == GxtLayout::Tabled)
            return readTables(GxtLayout::Tabled, out, result);
        // A header whose width is wrong is still a hashed file, and damaged: say so.
        if (m_size >= 8 && QByteArrayView(head + 4, 4) == QByteArrayView("TABL"))
            return readTables(GxtLayout::Hashed, out, result);
        // The flat layout's first tag is not read, so a file with another one may still be a
        // table; when it does not read as one either, the tag says what it is.
        if (readFlat(out))
            return true;
        return fail(QStringLiteral("it is not a GXT file: it starts with no tag of a layout Quillet knows "
                                   "(TKEY or TABL), and read as a flat table it fails: %1")
                        .arg(m_error));
    }

    bool readFlat(RawDocument &out)
    {
        out.layout = GxtLayout::Flat;
        out.bits = 16;
        if (m_size < 8)
            return fail(QStringLiteral("the file is %1 bytes long; a GXT file has at least 8").arg(m_size));
        const char *head = at(0, 8);
        if (!head)
            return false;
        const qint64 keySize = readInt32(head + 4);
        if (keySize < 0)
            return fail(QStringLiteral("the TKEY size %1 is negative").arg(keySize));
        if (keySize % 12 != 0)
            return fail(QStringLiteral("the TKEY size %1 is not a multiple of 12").arg(keySize));
        if (8 + keySize > m_size) {
            return fail(QStringLiteral("the TKEY size %1 reaches past the end of the file (%2 bytes)")
                            .arg(keySize)
                            .arg(m_size));
        }
        const qint64 count = keySize / 12;
        if (count > GxtLimits::MaxEntries) {
            return fail(QStringLiteral("the file has %1 entries; at most %2 can be loaded")
                            .arg(count)
                            .arg(GxtLimits::MaxEntries));
        }
        m_progress.setMaximum(double(keySize) / 4.0);

        out.tables.resize(1);
        RawTable &table = out.tables.front();
        table.name = RawName::fromBytes(mainTableName().toLatin1());
        table.entries.resize(size_t(count));
        std::vector<qint64> offsets(static_cast<size_t>(count));
        const char *records = count > 0 ? at(8, keySize) : head;
        if (!records)
            return false;
        for (qint64 i = 0; i < count; ++i) {
            const char *record = records + 12 * i;
            offsets[size_t(i)] = readInt32(record);
            table.entries[size_t(i)].key = cleanFlatName(record + 4);
            m_progress.record();
        }
        // The flat layout's texts count from the first byte after D, and only the end of the
        // file bounds them: D is not read.
        TableBlock block{8, count, 16 + keySize, m_size};
        return readTexts(GxtLayout::Flat, QString(), block, 2, offsets, table.entries,
                         QStringLiteral("the end of the file (%1 bytes)").arg(m_size),
                         QStringLiteral("the end of the file"));
    }

    bool readTables(GxtLayout layout, RawDocument &out, Result &result)
    {
        out.layout = layout;
        out.bits = 16;
        qint64 base = 0;
        if (layout == GxtLayout::Hashed) {
            const char *header = at(0, 4);
            if (!header)
                return false;
            const quint16 version = qFromLittleEndian<quint16>(header);
            const quint16 bits = qFromLittleEndian<quint16>(header + 2);
            if (version != 4)
                return fail(QStringLiteral("the header gives the version %1; a hashed GXT file has version 4").arg(version));
            if (bits != 8 && bits != 16) {
                return fail(QStringLiteral("the header gives %1 bits per character; a GXT file has 8 or 16")
                                .arg(bits));
            }
            out.bits = bits;
            base = 4;
        }
        if (base + 8 > m_size) {
            return fail(QStringLiteral("the file is %1 bytes long; its TABL block needs at least %2")
                            .arg(m_size)
                            .arg(base + 8));
        }
        const char *tablHead = at(base, 8);
        if (!tablHead)
            return false;
        const qint64 tablSize = readInt32(tablHead + 4);
        if (tablSize < 0)
            return fail(QStringLiteral("the TABL size %1 is negative").arg(tablSize));
        if (tablSize % 12 != 0)
            return fail(QStringLiteral("the TABL size %1 is not a multiple of 12").arg(tablSize));
        const qint64 tablEnd = base + 8 + tablSize;
        if (tablEnd > m_size) {
            return fail(QStringLiteral("the TABL size %1 reaches past the end of the file (%2 bytes)")
                            .arg(tablSize)
                            .arg(m_size));
        }
        const qint64 tableCount = tablSize / 12;
        if (tableCount == 0)
            return fail(QStringLiteral("the file lists no tables; a GXT file of tables has a MAIN table first"));
        // Every table block takes at least its TKEY and TDAT headers.
        constexpr qint64 SmallestBlock = 16;
        if (tableCount * SmallestBlock > m_size - tablEnd) {
            return fail(QStringLiteral("the TABL block lists %1 tables, more than the rest of the file (%2 bytes) "
                                       "could hold")
                            .arg(tableCount)
                            .arg(m_size - tablEnd));
        }

        const char *records = at(base + 8, tablSize);
        if (!records)
            return false;
        out.tables.resize(size_t(tableCount));
        std::vector<qint64> tableOffsets(static_cast<size_t>(tableCount));
        for (qint64 t = 0; t < tableCount; ++t) {
            out.tables[size_t(t)].name = RawName::fromBytes(QByteArrayView(records + 12 * t, 8));
            tableOffsets[size_t(t)] = readUInt32(records + 12 * t + 8);
        }
        if (out.tables.front().name.bytes() != QByteArrayView("MAIN")) {
            return fail(QStringLiteral("the first table is '%1'; a GXT file of tables lists its MAIN table first")
                            .arg(nameText(out.tables.front().name)));
        }

        // The blocks' headers first, so that the progress knows every entry in advance.
        const int recordSize = layout == GxtLayout::Hashed ? 8 : 12;
        const int unitBytes = out.bits / 8;
        std::vector<TableBlock> blocks(static_cast<size_t>(tableCount));
        qint64 total = 0;
        for (qint64 t = 0; t < tableCount; ++t) {
            const QString where = QStringLiteral("table %1").arg(nameText(out.tables[size_t(t)].name));
            qint64 p = tableOffsets[size_t(t)];
            if (p < tablEnd) {
                return fail(QStringLiteral("%1: the offset %2 points into the TABL block, which ends at %3")
                                .arg(where)
                                .arg(p)
                                .arg(tablEnd));
            }
            if (p >= m_size) {
                return fail(QStringLiteral("%1: the offset %2 lies past the end of the file (%3 bytes)")
                                .arg(where)
                                .arg(p)
                                .arg(m_size));
            }
            if (t > 0) {
                // Every table but MAIN repeats its name before its keys.
                if (p + 8 > m_size)
                    return fail(QStringLiteral("%1: the file ends inside the table's name").arg(where));
                const char *repeated = at(p, 8);
                if (!repeated)
                    return false;
                const RawName again = RawName::fromBytes(QByteArrayView(repeated, 8));
                if (!(again == out.tables[size_t(t)].name)) {
                    result.addWarning(QStringLiteral("%1: its block is named '%2'; the game warns about that")
                                          .arg(where, nameText(again)));
                }
                p += 8;
            }
            if (!readBlockHeader(where, "TKEY", p, recordSize, QStringLiteral("TKEY")))
                return false;
            TableBlock &block = blocks[size_t(t)];
            block.keysAt = p + 8;
            const qint64 keySize = m_lastSize;
            block.count = keySize / recordSize;
            if (block.count > GxtLimits::MaxEntries) {
                return fail(QStringLiteral("%1: the table has %2 entries; at most %3 can be loaded")
                                .arg(where)
                                .arg(block.count)
                                .arg(GxtLimits::MaxEntries));
            }
            p = block.keysAt + keySize;
            if (!readBlockHeader(where, "TDAT", p, 1, QStringLiteral("TDAT")))
                return false;
            block.dataStart = p + 8;
            block.dataEnd = block.dataStart + m_lastSize;
            total += block.count;
        }
        m_progress.setMaximum(double(3 * total));

        for (qint64 t = 0; t < tableCount; ++t) {
            RawTable &table = out.tables[size_t(t)];
            const TableBlock &block = blocks[size_t(t)];
            table.entries.resize(size_t(block.count));
            std::vector<qint64> offsets(static_cast<size_t>(block.count));
            const char *keys = block.count > 0 ? at(block.keysAt, block.count * recordSize) : nullptr;
            if (block.count > 0 && !keys)
                return false;
            for (qint64 i = 0; i < block.count; ++i) {
                const char *record = keys + recordSize * i;
                RawEntry &entry = table.entries[size_t(i)];
                if (layout == GxtLayout::Hashed) {
                    offsets[size_t(i)] = readUInt32(record);
                    entry.hash = readUInt32(record + 4);
                } else {
                    offsets[size_t(i)] = readInt32(record);
                    entry.key = RawName::fromBytes(QByteArrayView(record + 4, 8));
                }
                m_progress.record();
            }
            const QString tableName = nameText(table.name);
            if (!readTexts(layout, tableName, block, unitBytes, offsets, table.entries,
                           QStringLiteral("the end of the table's texts (%1 bytes)").arg(block.dataEnd - block.dataStart),
                           QStringLiteral("the end of the table's texts"))) {
                return false;
            }
        }
        return true;
    }

    // A block's tag and size at `p`: the size must be a whole number of records and lie in
    // the file. Leaves the size in m_lastSize.
    bool readBlockHeader(const QString &where, const char *tag, qint64 p, int recordSize, const QString &tagName)
    {
        if (p + 8 > m_size) {
            return fail(QStringLiteral("%1: the file ends where the %2 block should start (offset %3)")
                            .arg(where, tagName)
                            .arg(p));
        }
        const char *header = at(p, 8);
        if (!header)
            return false;
        if (QByteArrayView(header, 4) != QByteArrayView(tag, 4)) {
            return fail(QStringLiteral("%1: expected the tag %2 at offset %3")
                            .arg(where, tagName)
                            .arg(p));
        }
        const qint64 size = readInt32(header + 4);
        if (size < 0)
            return fail(QStringLiteral("%1: the %2 size %3 is negative").arg(where, tagName).arg(size));
        if (size % recordSize != 0) {
            return fail(QStringLiteral("%1: the %2 size %3 is not a multiple of %4")
                            .arg(where, tagName)
                            .arg(size)
                            .arg(recordSize));
        }
        if (p + 8 + size > m_size) {
            return fail(QStringLiteral("%1: the %2 size %3 reaches past the end of the file (%4 bytes)")
                            .arg(where, tagName)
                            .arg(size)
                            .arg(m_size));
        }
        m_lastSize = size;
        return true;
    }

    static QString nameText(const RawName &name) { return nameFromBytes(name.bytes()); }

    QString where(GxtLayout layout, const QString &table, qint64 i, const RawEntry &entry) const
    {
        return describeEntry(layout, table, int(i + 1), describeRawKey(layout, entry));
    }

    // The texts of one table. Entries that share an offset share one string; texts are
    // read in the order they stand in the file, so that a file read a window at a time is
    // read front to back even where its records are in another order than its texts.
    bool readTexts(GxtLayout layout, const QString &table, const TableBlock &block, int unitBytes,
                   const std::vector<qint64> &offsets, std::vector<RawEntry> &entries, const QString &endNamed,
                   const QString &endPlain)
    {
        const qint64 count = qint64(entries.size());
        const qint64 span = block.dataEnd - block.dataStart;
        // Offsets are checked in record order, so that the first bad record is the one named.
        for (qint64 i = 0; i < count; ++i) {
            const qint64 offset = offsets[size_t(i)];
            if (offset < 0) {
                return fail(QStringLiteral("%1: the text offset %2 is negative")
                                .arg(where(layout, table, i, entries[size_t(i)]))
                                .arg(offset));
            }
            if (offset >= span) {
                return fail(QStringLiteral("%1: the text offset %2 lies past %3")
                                .arg(where(layout, table, i, entries[size_t(i)]))
                                .arg(offset)
                                .arg(endNamed));
            }
        }

        bool rising = true;
        for (qint64 i = 1; i < count && rising; ++i)
            rising = offsets[size_t(i)] > offsets[size_t(i - 1)];
        std::vector<int> order;
        if (!rising) {
            order.resize(size_t(count));
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(),
                             [&](int a, int b) { return offsets[size_t(a)] < offsets[size_t(b)]; });
        }

        const qint64 chunkUnits = Bytes::ChunkBytes / unitBytes;
        qint64 previous = -1;
        for (qint64 k = 0; k < count; ++k) {
            const qint64 i = rising ? k : order[size_t(k)];
            RawEntry &entry = entries[size_t(i)];
            const qint64 offset = offsets[size_t(i)];
            if (k > 0 && offset == offsets[size_t(previous)]) {
                entry.units = entries[size_t(previous)].units;
                m_progress.text();
                continue;
            }
            previous = i;
            const qint64 start = block.dataStart + offset;
            const qint64 available = (block.dataEnd - start) / unitBytes;
            // The text's length first, chunk by chunk, up to its terminator.
            qint64 length = 0;
            bool terminated = false;
            while (!terminated && length < available) {
                const qint64 n = std::min(available - length, chunkUnits);
                const char *units = at(start + unitBytes * length, unitBytes * n);
                if (!units)
                    return false;
                qint64 u = 0;
                if (unitBytes == 2) {
                    while (u < n && (units[2 * u] != 0 || units[2 * u + 1] != 0))
                        ++u;
                } else {
                    const void *zero = std::memchr(units, 0, size_t(n));
                    u = zero ? static_cast<const char *>(zero) - units : n;
                }
                length += u;
                terminated = u < n;
            }
            m_unitsRead += length + 1;
            if (!terminated) {
                return fail(QStringLiteral("%1: the text at offset %2 has no terminator before %3")
                                .arg(where(layout, table, i, entry))
                                .arg(offset)
                                .arg(endPlain));
            }
            if (m_unitsRead > m_unitBudget) {
                return fail(QStringLiteral("%1: the texts overlap so much that they would hold more characters than "
                                           "the file (%2 bytes) could; the file is damaged")
                                .arg(where(layout, table, i, entry))
                                .arg(m_size));
            }
            QString text(length, Qt::Uninitialized);
            char16_t *out = reinterpret_cast<char16_t *>(text.data());
            for (qint64 done = 0; done < length;) {
                const qint64 n = std::min(length - done, chunkUnits);
                const char *units = at(start + unitBytes * done, unitBytes * n);
                if (!units)
                    return false;
                if (unitBytes == 2) {
                    qFromLittleEndian<quint16>(units, n, out + done);
                } else {
                    for (qint64 u = 0; u < n; ++u)
                        out[done + u] = char16_t(uchar(units[u]));
                }
                done += n;
            }
            entry.units = std::move(text);
            m_progress.text();
        }
        return true;
    }

    Bytes &m_source;
    FileProgress m_progress;
    const qint64 m_size;
    const qint64 m_unitBudget;
    qint64 m_unitsRead = 0;
    qint64 m_lastSize = 0;
    QString m_error;
};

} // namespace

Result readGxt(QByteArrayView data, RawDocument &out, const FileOperationHooks &hooks)
{
    MemoryBytes source(data);
    return Reader<MemoryBytes>(source, hooks).read(out);
}

Result readGxtFile(const QString &path, RawDocument &out, const FileOperationHooks &hooks)
{
    out = RawDocument();
    QFile file;
    Result opened = openReadableFile(path, file);
    if (!opened)
        return opened;
    FileBytes source(file, file.size());
    return Reader<FileBytes>(source, hooks).read(out);
}

} // namespace quillet
