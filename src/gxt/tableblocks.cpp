#include "tableblocks.h"

#include "codepage.h"
#include "radixsort.h"
#include "unitscan.h"
#include "utf8units.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

namespace quillet {

namespace {

qint32 readInt32(const char *p)
{
    return qFromLittleEndian<qint32>(p);
}

quint32 readUInt32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

QString nameText(const RawName &name)
{
    return nameFromBytes(name.bytes());
}

qint64 alignedTo(qint64 position, int alignment)
{
    return alignment <= 1 ? position : (position + alignment - 1) / alignment * alignment;
}

} // namespace

QString tooLargeReason(qint64 entries, qint64 bytes)
{
    return QStringLiteral("the document is too large for a GXT file (%1 entries, %2 bytes)").arg(entries).arg(bytes);
}

BlockReader::BlockReader(ByteSource &source, ReadContext &context)
    : m_source(source)
    , m_context(context)
    , m_progress(context.progress)
    , m_size(source.size())
    , m_unitBudget(source.size() + (qint64(1) << 20))
{
}

const char *BlockReader::at(qint64 position, qint64 length)
{
    const char *p = m_source.at(position, length);
    if (!p)
        fail(m_source.errorString());
    return p;
}

bool BlockReader::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool BlockReader::readBlockHeader(const QString &where, const char *tag, qint64 p, int recordSize, qint64 &size)
{
    const QString tagName = QString::fromLatin1(tag);
    if (p + 8 > m_size) {
        return fail(QStringLiteral("%1: the file ends where the %2 block should start (offset %3)")
                        .arg(where, tagName)
                        .arg(p));
    }
    const char *header = at(p, 8);
    if (!header)
        return false;
    if (QByteArrayView(header, 4) != QByteArrayView(tag, 4))
        return fail(QStringLiteral("%1: expected the tag %2 at offset %3").arg(where, tagName).arg(p));
    size = readInt32(header + 4);
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
    return true;
}

QString BlockReader::where(const GxtFormat &format, const RawName &table, qint64 i, const StringEntry &entry) const
{
    return describeEntry(format, nameText(table), int(i + 1), format.keyText(entry));
}

bool BlockReader::readEntries(const GxtFormat &format, int tableIndex, const RawName &table, const TableBlock &block,
                              int unitBytes, std::vector<StringEntry> &entries, TextsEnd end)
{
    // Said only when a text breaks a rule: most reads never need them.
    const auto endNamed = [&] {
        return end == TextsEnd::File ? QStringLiteral("the end of the file (%1 bytes)").arg(m_size)
                                     : QStringLiteral("the end of the table's texts (%1 bytes)").arg(block.dataEnd - block.dataStart);
    };
    const auto endPlain = [&] {
        return end == TextsEnd::File ? QStringLiteral("the end of the file") : QStringLiteral("the end of the table's texts");
    };
    TextInspector *const inspector = m_context.options.inspector;
    // The first table is always read whole: it is the one shown first.
    TextPlacement *const placement = tableIndex > 0 && !inspector ? m_context.options.placement : nullptr;
    SalvageReport *const salvage = m_context.options.salvage;
    bool warnedTerminator = false;
    const int recordSize = format.traits().recordSize;
    const qint64 records = block.count;
    entries.resize(size_t(records));
    std::vector<qint64> offsets(static_cast<size_t>(records));
    if (records > 0) {
        const char *bytes = at(block.keysAt, records * recordSize);
        if (!bytes)
            return false;
        for (qint64 i = 0; i < records; ++i) {
            format.readRecord(bytes + recordSize * i, entries[size_t(i)], offsets[size_t(i)]);
            m_progress.record();
        }
    }

    const qint64 span = block.dataEnd - block.dataStart;
    // Offsets are checked in record order, so that the first bad record is the one named. A
    // salvaging read leaves such entries out instead, and counts them.
    if (salvage) {
        qint64 kept = 0;
        for (qint64 i = 0; i < qint64(entries.size()); ++i) {
            if (offsets[size_t(i)] >= 0 && offsets[size_t(i)] < span) {
                entries[size_t(kept)] = std::move(entries[size_t(i)]);
                offsets[size_t(kept)] = offsets[size_t(i)];
                ++kept;
            }
        }
        if (kept < qint64(entries.size()))
            salvage->tables.push_back({nameText(table), int(qint64(entries.size()) - kept)});
        entries.resize(size_t(kept));
        offsets.resize(size_t(kept));
    }
    const qint64 count = qint64(entries.size());
    for (qint64 i = 0; i < count; ++i) {
        const qint64 offset = offsets[size_t(i)];
        if (offset < 0) {
            return fail(QStringLiteral("%1: the text offset %2 is negative")
                            .arg(where(format, table, i, entries[size_t(i)]))
                            .arg(offset));
        }
        if (offset >= span) {
            return fail(QStringLiteral("%1: the text offset %2 lies past %3")
                            .arg(where(format, table, i, entries[size_t(i)]))
                            .arg(offset)
                            .arg(endNamed()));
        }
    }

    bool rising = true;
    for (qint64 i = 1; i < count && rising; ++i)
        rising = offsets[size_t(i)] > offsets[size_t(i - 1)];
    std::vector<int> order;
    if (!rising) {
        // An offset and the record's place make one number (offsets are below 2^31 and a
        // table holds fewer than 2^16 records): sorting those keeps shared offsets in record
        // order without the indirect comparisons of a stable sort.
        std::vector<quint64> keys(static_cast<size_t>(count));
        for (qint64 i = 0; i < count; ++i)
            keys[size_t(i)] = (quint64(offsets[size_t(i)]) << 16) | quint64(i);
        sortNumbers(keys);
        order.resize(size_t(count));
        for (qint64 k = 0; k < count; ++k)
            order[size_t(k)] = int(keys[size_t(k)] & 0xFFFF);
    }

    const qint64 chunkUnits = std::max<qint64>(1, m_source.chunkBytes() / unitBytes);
    qint64 previous = -1;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 i = rising ? k : order[size_t(k)];
        StringEntry &entry = entries[size_t(i)];
        const qint64 offset = offsets[size_t(i)];
        if (k > 0 && offset == offsets[size_t(previous)]) {
            if (inspector)
                inspector->inspect(tableIndex, int(i), m_scratch);
            else if (placement)
                placement->place(tableIndex, int(i), 0, 0, unitBytes, int(previous));
            else
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
                u = UnitScan::firstZero(units, n);
            } else {
                const void *zero = std::memchr(units, 0, size_t(n));
                u = zero ? static_cast<const char *>(zero) - units : n;
            }
            length += u;
            terminated = u < n;
        }
        // A TDAT size some tools write leaves out the last text's terminator, which stands just
        // past it: the game reads such a text, and so does this reader, with a warning.
        if (!terminated && end == TextsEnd::Table && start + unitBytes * length == block.dataEnd
            && block.dataEnd + unitBytes <= m_size) {
            const char *next = at(block.dataEnd, unitBytes);
            if (!next)
                return false;
            if (next[0] == 0 && (unitBytes == 1 || next[1] == 0)) {
                terminated = true;
                if (!warnedTerminator) {
                    warn(QStringLiteral("table %1: its TDAT size leaves out the last text's terminator; the game reads the "
                                        "text all the same")
                             .arg(nameText(table)));
                    warnedTerminator = true;
                }
            }
        }
        m_unitsRead += length + 1;
        if (!terminated) {
            return fail(QStringLiteral("%1: the text at offset %2 has no terminator before %3")
                            .arg(where(format, table, i, entry))
                            .arg(offset)
                            .arg(endPlain()));
        }
        if (m_unitsRead > m_unitBudget) {
            return fail(QStringLiteral("%1: the texts overlap so much that they would hold more characters than the "
                                       "file (%2 bytes) could; the file is damaged")
                            .arg(where(format, table, i, entry))
                            .arg(m_size));
        }
        if (placement) {
            placement->place(tableIndex, int(i), start, length, unitBytes, -1);
            m_progress.text();
            continue;
        }
        QString text = inspector ? QString() : QString(length, Qt::Uninitialized);
        if (inspector)
            m_scratch.resize(length);
        char16_t *out = reinterpret_cast<char16_t *>(inspector ? m_scratch.data() : text.data());
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
        if (inspector)
            inspector->inspect(tableIndex, int(i), m_scratch);
        else
            entry.units = std::move(text);
        m_progress.text();
    }
    return true;
}

bool BlockReader::readUtf8Entries(const GxtFormat &format, const TableBlock &block, qint64 textsStart,
                                  std::vector<StringEntry> &entries)
{
    const RawName table = mainTableRawName();
    std::vector<qint64> offsets;
    if (!readRecords(format, table, block.keysAt, block.count, textsStart, block.dataEnd, entries, offsets, [&] {
            return QStringLiteral("the texts, from %1 to the end of the file (%2 bytes)").arg(textsStart).arg(m_size);
        }))
        return false;
    TextInspector *const inspector = m_context.options.inspector;
    const qint64 count = qint64(entries.size());
    // Texts in file order, as readEntries reads them; the writer's files (and so every save's
    // read-back) have their offsets rising already, and need no sort.
    bool rising = true;
    for (qint64 i = 1; i < count && rising; ++i)
        rising = offsets[size_t(i)] > offsets[size_t(i - 1)];
    std::vector<quint64> keys;
    if (!rising) {
        keys.resize(size_t(count));
        for (qint64 i = 0; i < count; ++i)
            keys[size_t(i)] = (quint64(offsets[size_t(i)]) << 16) | quint64(i);
        sortNumbers(keys);
    }
    const qint64 chunk = std::max<qint64>(1, m_source.chunkBytes());
    qint64 previous = -1;
    QString text;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 i = rising ? k : qint64(keys[size_t(k)] & 0xFFFF);
        StringEntry &entry = entries[size_t(i)];
        const qint64 start = offsets[size_t(i)];
        if (previous >= 0 && start == offsets[size_t(previous)]) {
            if (inspector)
                inspector->inspect(0, int(i), text);
            else
                entry.units = entries[size_t(previous)].units;
            m_progress.text();
            continue;
        }
        previous = i;
        // The text's length first, up to its zero byte.
        qint64 length = 0;
        bool terminated = false;
        while (!terminated && start + length < block.dataEnd) {
            const qint64 n = std::min(block.dataEnd - (start + length), chunk);
            const char *bytes = at(start + length, n);
            if (!bytes)
                return false;
            const void *zero = std::memchr(bytes, 0, size_t(n));
            const qint64 u = zero ? static_cast<const char *>(zero) - bytes : n;
            length += u;
            terminated = u < n;
        }
        m_unitsRead += length + 1;
        if (!terminated) {
            return fail(QStringLiteral("%1: the text at offset %2 has no terminator before the end of the file")
                            .arg(where(format, table, i, entry))
                            .arg(start));
        }
        if (m_unitsRead > m_unitBudget) {
            return fail(QStringLiteral("%1: the texts overlap so much that they would hold more characters than the "
                                       "file (%2 bytes) could; the file is damaged")
                            .arg(where(format, table, i, entry))
                            .arg(m_size));
        }
        // A text that lies in one window decodes where it lies; a longer one is joined first.
        QByteArray joined;
        QByteArrayView bytes;
        for (qint64 done = 0; done < length;) {
            const qint64 n = std::min(length - done, chunk);
            const char *piece = at(start + done, n);
            if (!piece)
                return false;
            if (done == 0 && n == length) {
                bytes = QByteArrayView(piece, n);
                break;
            }
            joined.append(piece, n);
            done += n;
            bytes = joined;
        }
        // An inspector only looks: its texts share one string's room.
        if (inspector)
            Utf8Units::decode(bytes, text);
        else
            text = length == 0 ? QString() : Utf8Units::decode(bytes);
        if (inspector)
            inspector->inspect(0, int(i), text);
        else
            entry.units = text;
        m_progress.text();
    }
    return true;
}

bool BlockReader::readRecords(const GxtFormat &format, const RawName &table, qint64 keysAt, qint64 count, qint64 low,
                              qint64 high, std::vector<StringEntry> &entries, std::vector<qint64> &offsets,
                              const std::function<QString()> &outsideWhat)
{
    const int recordSize = format.traits().recordSize;
    entries.resize(size_t(count));
    offsets.resize(size_t(count));
    if (count > 0) {
        const char *bytes = at(keysAt, count * recordSize);
        if (!bytes)
            return false;
        for (qint64 i = 0; i < count; ++i) {
            format.readRecord(bytes + recordSize * i, entries[size_t(i)], offsets[size_t(i)]);
            m_progress.record();
        }
    }
    SalvageReport *const salvage = m_context.options.salvage;
    if (salvage) {
        qint64 kept = 0;
        for (qint64 i = 0; i < count; ++i) {
            if (offsets[size_t(i)] >= low && offsets[size_t(i)] < high) {
                entries[size_t(kept)] = std::move(entries[size_t(i)]);
                offsets[size_t(kept)] = offsets[size_t(i)];
                ++kept;
            }
        }
        if (kept < count)
            salvage->tables.push_back({nameText(table), int(count - kept)});
        entries.resize(size_t(kept));
        offsets.resize(size_t(kept));
        return true;
    }
    for (qint64 i = 0; i < count; ++i) {
        const qint64 offset = offsets[size_t(i)];
        if (offset < low || offset >= high) {
            return fail(QStringLiteral("%1: the text offset %2 lies outside %3")
                            .arg(where(format, table, i, entries[size_t(i)]))
                            .arg(offset)
                            .arg(outsideWhat()));
        }
    }
    return true;
}

bool readTableOfTables(BlockReader &reader, const GxtFormat &format, qint64 base, int bits, RawDocument &out)
{
    const qint64 size = reader.size();
    if (base + 8 > size) {
        return reader.fail(QStringLiteral("the file is %1 bytes long; its TABL block needs at least %2")
                               .arg(size)
                               .arg(base + 8));
    }
    const char *tablHead = reader.at(base, 8);
    if (!tablHead)
        return false;
    const qint64 tablSize = readInt32(tablHead + 4);
    if (tablSize < 0)
        return reader.fail(QStringLiteral("the TABL size %1 is negative").arg(tablSize));
    // Some mods' files give a size a few bytes too large; the game reads as many whole
    // records as the size holds, and so does this reader.
    if (tablSize % 12 != 0) {
        const qint64 whole = tablSize / 12;
        reader.warn(QStringLiteral("the TABL size %1 is not a multiple of 12; the %2 whole %3 it holds %4 read")
                        .arg(tablSize)
                        .arg(whole)
                        .arg(whole == 1 ? QStringLiteral("record") : QStringLiteral("records"),
                             whole == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    }
    if (base + 8 + tablSize > size) {
        return reader.fail(QStringLiteral("the TABL size %1 reaches past the end of the file (%2 bytes)")
                               .arg(tablSize)
                               .arg(size));
    }
    const qint64 tableCount = tablSize / 12;
    // The blocks may start right after the whole records, inside the size's extra bytes.
    const qint64 tablEnd = base + 8 + 12 * tableCount;
    if (tableCount == 0)
        return reader.fail(QStringLiteral("the file lists no tables; a GXT file of tables has a MAIN table first"));
    // Every table block takes at least its TKEY and TDAT headers.
    constexpr qint64 SmallestBlock = 16;
    if (tableCount * SmallestBlock > size - tablEnd) {
        return reader.fail(QStringLiteral("the TABL block lists %1 tables, more than the rest of the file (%2 bytes) "
                                          "could hold")
                               .arg(tableCount)
                               .arg(size - tablEnd));
    }

    const char *records = reader.at(base + 8, 12 * tableCount);
    if (!records)
        return false;
    out.tables.resize(size_t(tableCount));
    std::vector<qint64> tableOffsets(static_cast<size_t>(tableCount));
    for (qint64 t = 0; t < tableCount; ++t) {
        out.tables[size_t(t)].name = RawName::fromBytes(QByteArrayView(records + 12 * t, 8));
        tableOffsets[size_t(t)] = readUInt32(records + 12 * t + 8);
    }
    if (!(out.tables.front().name == mainTableRawName())) {
        return reader.fail(QStringLiteral("the first table is '%1'; a GXT file of tables lists its MAIN table first")
                               .arg(nameText(out.tables.front().name)));
    }

    // The blocks' headers first, so that the progress knows every entry in advance.
    const int recordSize = format.traits().recordSize;
    const int maxEntries = format.traits().maxEntries;
    std::vector<TableBlock> blocks(static_cast<size_t>(tableCount));
    qint64 total = 0;
    for (qint64 t = 0; t < tableCount; ++t) {
        const QString where = QStringLiteral("table %1").arg(nameText(out.tables[size_t(t)].name));
        qint64 p = tableOffsets[size_t(t)];
        if (p < tablEnd) {
            return reader.fail(QStringLiteral("%1: the offset %2 points into the TABL block, which ends at %3")
                                   .arg(where)
                                   .arg(p)
                                   .arg(tablEnd));
        }
        if (p >= size) {
            return reader.fail(QStringLiteral("%1: the offset %2 lies past the end of the file (%3 bytes)")
                                   .arg(where)
                                   .arg(p)
                                   .arg(size));
        }
        if (t > 0) {
            // Every table but MAIN repeats its name before its keys.
            if (p + 8 > size)
                return reader.fail(QStringLiteral("%1: the file ends inside the table's name").arg(where));
            const char *repeated = reader.at(p, 8);
            if (!repeated)
                return false;
            const RawName again = RawName::fromBytes(QByteArrayView(repeated, 8));
            if (!(again == out.tables[size_t(t)].name))
                reader.warn(QStringLiteral("%1: its block is named '%2'; the game warns about that").arg(where, nameText(again)));
            p += 8;
        }
        qint64 keySize = 0;
        if (!reader.readBlockHeader(where, "TKEY", p, recordSize, keySize))
            return false;
        TableBlock &block = blocks[size_t(t)];
        block.keysAt = p + 8;
        block.count = keySize / recordSize;
        if (block.count > maxEntries) {
            return reader.fail(QStringLiteral("%1: the table has %2 entries; at most %3 can be loaded")
                                   .arg(where)
                                   .arg(block.count)
                                   .arg(maxEntries));
        }
        p = block.keysAt + keySize;
        qint64 dataSize = 0;
        if (!reader.readBlockHeader(where, "TDAT", p, 1, dataSize))
            return false;
        block.dataStart = p + 8;
        block.dataEnd = block.dataStart + dataSize;
        total += block.count;
    }
    reader.progress().setMaximum(double(3 * total));

    for (qint64 t = 0; t < tableCount; ++t) {
        RawTable &table = out.tables[size_t(t)];
        const TableBlock &block = blocks[size_t(t)];
        if (!reader.readEntries(format, int(t), table.name, block, bits / 8, table.entries, BlockReader::TextsEnd::Table))
            return false;
    }
    return true;
}

qint64 textBytes(const RawTable &table, int bits)
{
    qint64 size = 0;
    for (const StringEntry &entry : table.entries)
        size += entry.units.size() + 1;
    return size * (bits / 8);
}

Result measureTexts(const GxtFormat &format, const RawTable &table, int bits, qint64 &dataSize)
{
    dataSize = 0;
    const char16_t widest = bits == 8 ? 0xFF : 0xFFFF;
    const qsizetype longest = format.traits().maxValueLength;
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const StringEntry &entry = table.entries[i];
        if (entry.units.size() > longest) {
            return Result::failure(QStringLiteral("%1: the value has %2 characters; a GXT text holds at most %3")
                                       .arg(describeEntry(format, nameText(table.name), int(i + 1), format.keyText(entry)))
                                       .arg(entry.units.size())
                                       .arg(longest));
        }
        // Almost every text is sound: eight units a step say so, and only a text that is not
        // is walked unit by unit to name what breaks it.
        const auto *units = reinterpret_cast<const char16_t *>(entry.units.constData());
        if (UnitScan::allWithin(units, entry.units.size(), 1, widest)) {
            dataSize += (bits / 8) * (entry.units.size() + 1);
            continue;
        }
        for (QChar c : entry.units) {
            const char16_t u = c.unicode();
            if (u != 0 && u <= widest)
                continue;
            const QString problem = u == 0
                ? QStringLiteral("a unit 0, which would end it early")
                : QStringLiteral("the unit 0x%1, which an 8-bit file cannot hold").arg(uint(u), 4, 16, QLatin1Char('0'));
            return Result::failure(QStringLiteral("%1: the text holds %2")
                                       .arg(describeEntry(format, nameText(table.name), int(i + 1), format.keyText(entry)),
                                            problem));
        }
        dataSize += (bits / 8) * (entry.units.size() + 1);
    }
    return {};
}

std::vector<int> orderByHash(const std::vector<StringEntry> &entries)
{
    const size_t n = entries.size();
    std::vector<int> order(n);
    if (n < 128) {
        // A hash and the entry's place make one number: sorting those keeps equal hashes in
        // the table's order, without the indirect comparisons of a stable sort.
        std::vector<quint64> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = (quint64(entries[i].hash) << 32) | quint64(i);
        sortNumbers(keys);
        for (size_t i = 0; i < n; ++i)
            order[i] = int(keys[i] & 0xFFFFFFFFu);
        return order;
    }
    // Larger tables by the hash's four bytes, lowest first, each pass stable: a comparison
    // sort of random hashes spends most of its time on branches it mispredicts, and every
    // save and its read-back check order every table.
    std::vector<quint32> hashes(n);
    std::vector<quint32> nextHashes(n);
    std::vector<int> next(n);
    for (size_t i = 0; i < n; ++i) {
        order[i] = int(i);
        hashes[i] = entries[i].hash;
    }
    for (int shift = 0; shift < 32; shift += 8) {
        std::array<size_t, 257> starts{};
        for (size_t i = 0; i < n; ++i)
            ++starts[((hashes[i] >> shift) & 0xFF) + 1];
        for (size_t d = 1; d < starts.size(); ++d)
            starts[d] += starts[d - 1];
        for (size_t i = 0; i < n; ++i) {
            const size_t at = starts[(hashes[i] >> shift) & 0xFF]++;
            next[at] = order[i];
            nextHashes[at] = hashes[i];
        }
        order.swap(next);
        hashes.swap(nextHashes);
    }
    return order;
}

char *writeBlock(const GxtFormat &format, const RawTable &table, const std::vector<int> &order, int bits,
                 qint64 dataSize, char *p, FileProgress &progress)
{
    const int recordSize = format.traits().recordSize;
    const int unitBytes = bits / 8;
    std::memcpy(p, "TKEY", 4);
    qToLittleEndian<qint32>(qint32(recordSize * qint64(order.size())), p + 4);
    p += 8;
    qint64 offset = 0;
    for (int i : order) {
        const StringEntry &entry = table.entries[size_t(i)];
        format.writeRecord(p, entry, offset);
        p += recordSize;
        offset += unitBytes * (entry.units.size() + 1);
        progress.record();
    }
    std::memcpy(p, "TDAT", 4);
    qToLittleEndian<qint32>(qint32(dataSize), p + 4);
    p += 8;
    for (int i : order) {
        const QString &units = table.entries[size_t(i)].units;
        if (unitBytes == 2) {
            qToLittleEndian<quint16>(units.utf16(), units.size(), p);
            p += 2 * units.size() + 2; // the terminator: the buffer is zeroed
        } else {
            for (QChar c : units)
                *p++ = char(uchar(c.unicode()));
            ++p;
        }
        progress.text();
    }
    return p;
}

Result writeOneTableFile(const GxtFormat &format, QByteArrayView header, int bits, const RawTable &table,
                         QByteArray &out, FileProgress &progress)
{
    const qint64 count = qint64(table.entries.size());
    const qint64 size = header.size() + 8 + format.traits().recordSize * count + 8 + textBytes(table, bits);
    if (size > LargestGxtFile)
        return Result::failure(tooLargeReason(count, size));
    qint64 dataSize = 0;
    Result fits = measureTexts(format, table, bits, dataSize);
    if (!fits)
        return fits;
    progress.setMaximum(double(3 * count));
    const std::vector<int> order = format.entryOrder(table.entries);
    progress.pass();
    QByteArray bytes(size, '\0');
    std::copy(header.begin(), header.end(), bytes.begin());
    char *end = writeBlock(format, table, order, bits, dataSize, bytes.data() + header.size(), progress);
    Q_ASSERT(end == bytes.data() + bytes.size());
    Q_UNUSED(end);
    progress.reset();
    out = std::move(bytes);
    return {};
}

Result writeTableOfTables(const GxtFormat &format, QByteArrayView header, int bits,
                          const std::vector<const RawTable *> &tables, QByteArray &out, FileProgress &progress)
{
    out.clear();
    if (tables.empty() || !(tables.front()->name == mainTableRawName()))
        return Result::failure(QStringLiteral("a GXT file of tables needs its MAIN table first"));
    const int recordSize = format.traits().recordSize;
    const int alignment = format.traits().blockAlignment;

    // The size first, from the texts' lengths alone: a document too large for the format is
    // refused before a unit is looked at or a byte is made.
    const std::vector<int> order = format.tableOrder(tables);
    std::vector<qint64> blockAt(tables.size());
    qint64 total = 0;
    qint64 p = header.size() + 8 + 12 * qint64(tables.size());
    for (size_t k = 0; k < order.size(); ++k) {
        const RawTable &table = *tables[size_t(order[k])];
        p = alignedTo(p, alignment);
        blockAt[size_t(order[k])] = p;
        p += (k > 0 ? 8 : 0) + 8 + recordSize * qint64(table.entries.size()) + 8 + textBytes(table, bits);
        total += qint64(table.entries.size());
    }
    const qint64 size = alignedTo(p, alignment);
    if (size > LargestGxtFile)
        return Result::failure(tooLargeReason(total, size));

    std::vector<qint64> dataSizes(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        Result fits = measureTexts(format, *tables[t], bits, dataSizes[t]);
        if (!fits)
            return fits;
    }

    progress.setMaximum(double(3 * total));
    std::vector<std::vector<int>> orders(tables.size());
    for (size_t t = 0; t < tables.size(); ++t)
        orders[t] = format.entryOrder(tables[t]->entries);
    progress.pass();

    QByteArray bytes(size, '\0');
    char *w = bytes.data();
    // A format without a header gives an empty view, whose data may be null: memcpy must
    // not see it even for no bytes.
    if (!header.isEmpty())
        std::memcpy(w, header.data(), size_t(header.size()));
    w += header.size();
    std::memcpy(w, "TABL", 4);
    qToLittleEndian<qint32>(qint32(12 * qint64(tables.size())), w + 4);
    w += 8;
    for (int t : order) {
        std::memcpy(w, tables[size_t(t)]->name.field().data(), 8);
        qToLittleEndian<quint32>(quint32(blockAt[size_t(t)]), w + 8);
        w += 12;
    }
    for (size_t k = 0; k < order.size(); ++k) {
        const size_t t = size_t(order[k]);
        const RawTable &table = *tables[t];
        w = bytes.data() + blockAt[t];
        if (k > 0) {
            std::memcpy(w, table.name.field().data(), 8);
            w += 8;
        }
        w = writeBlock(format, table, orders[t], bits, dataSizes[t], w, progress);
    }
    Q_ASSERT(w <= bytes.data() + bytes.size());
    progress.reset();
    out = std::move(bytes);
    return {};
}

} // namespace quillet
