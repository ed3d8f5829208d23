// The writer of all three layouts, and the orders the game's layouts put things in.
#include "codepage.h"
#include "entryrules.h"
#include "rawgxt.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

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

bool flatKeyLess(const RawName &a, const RawName &b)
{
    const auto &codes = flatKeyCodes();
    const QByteArrayView x = a.bytes();
    const QByteArrayView y = b.bytes();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [&codes](char p, char q) {
        return codes[uchar(p)] < codes[uchar(q)];
    });
}

QString nameText(const RawName &name)
{
    return nameFromBytes(name.bytes());
}

// Tables as the game's files list them: MAIN first, then the others by name.
std::vector<int> tableOrder(const RawDocument &document)
{
    std::vector<int> order(document.tables.size());
    std::iota(order.begin(), order.end(), 0);
    if (document.layout != GxtLayout::Flat && order.size() > 1) {
        std::stable_sort(order.begin() + 1, order.end(), [&](int a, int b) {
            return document.tables[size_t(a)].name < document.tables[size_t(b)].name;
        });
    }
    return order;
}

std::vector<int> entryOrder(GxtLayout layout, const std::vector<RawEntry> &entries)
{
    if (layout == GxtLayout::Hashed) {
        // A hash and the entry's place make one number: sorting those keeps equal hashes in
        // the table's order, without the indirect comparisons of a stable sort.
        std::vector<quint64> keys(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            keys[i] = (quint64(entries[i].hash) << 32) | quint64(i);
        std::sort(keys.begin(), keys.end());
        std::vector<int> order(entries.size());
        for (size_t i = 0; i < keys.size(); ++i)
            order[i] = int(keys[i] & 0xFFFFFFFFu);
        return order;
    }
    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable: entries with equal keys keep the order the table gave them.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return writerOrderLess(layout, entries[size_t(a)], entries[size_t(b)]); });
    return order;
}

void putInt32(char *&p, qint64 value)
{
    qToLittleEndian<qint32>(qint32(value), p);
    p += 4;
}

void putUInt32(char *&p, quint32 value)
{
    qToLittleEndian<quint32>(value, p);
    p += 4;
}

void putBytes(char *&p, const char *bytes, qsizetype size)
{
    std::memcpy(p, bytes, size_t(size));
    p += size;
}

qint64 alignedTo4(qint64 position)
{
    return (position + 3) & ~qint64(3);
}

// What the layout cannot hold in a text: a zero unit ends it early, and an 8-bit file has
// no room for a wider unit. Empty when the text can be written.
QString unwritableUnit(const QString &units, int bits)
{
    for (QChar c : units) {
        const char16_t u = c.unicode();
        if (u == 0)
            return QStringLiteral("a unit 0, which would end it early");
        if (bits == 8 && u > 0xFF)
            return QStringLiteral("the unit 0x%1, which an 8-bit file cannot hold").arg(uint(u), 4, 16, QLatin1Char('0'));
    }
    return {};
}

} // namespace

bool writerOrderLess(GxtLayout layout, const RawEntry &a, const RawEntry &b)
{
    switch (layout) {
    case GxtLayout::Flat:
        return flatKeyLess(a.key, b.key);
    case GxtLayout::Tabled:
        return a.key < b.key;
    case GxtLayout::Hashed:
        return a.hash < b.hash;
    }
    return false;
}

bool isInWriterOrder(GxtLayout layout, const std::vector<RawEntry> &entries)
{
    return std::is_sorted(entries.begin(), entries.end(),
                          [layout](const RawEntry &a, const RawEntry &b) { return writerOrderLess(layout, a, b); });
}

RawDocument inWriterOrder(const RawDocument &document)
{
    RawDocument ordered;
    ordered.layout = document.layout;
    ordered.bits = document.bits;
    for (int t : tableOrder(document)) {
        const RawTable &table = document.tables[size_t(t)];
        RawTable copy;
        copy.name = table.name;
        copy.entries.reserve(table.entries.size());
        for (int i : entryOrder(document.layout, table.entries))
            copy.entries.push_back(table.entries[size_t(i)]);
        ordered.tables.push_back(std::move(copy));
    }
    return ordered;
}

QString describeRawKey(GxtLayout layout, const RawEntry &entry)
{
    if (layout == GxtLayout::Hashed)
        return QStringLiteral("#%1").arg(entry.hash, 8, 16, QLatin1Char('0')).toUpper();
    return nameText(entry.key);
}

QString describeEntry(int position, const QString &name)
{
    return QStringLiteral("entry %1 (%2)").arg(position).arg(name);
}

QString describeEntry(GxtLayout layout, const QString &table, int position, const QString &name)
{
    if (layout == GxtLayout::Flat)
        return describeEntry(position, name);
    return QStringLiteral("table %1, %2").arg(table, describeEntry(position, name));
}

Result writeGxt(const RawDocument &document, QByteArray &out, const FileOperationHooks &hooks)
{
    out.clear();
    const GxtLayout layout = document.layout;
    const bool flat = layout == GxtLayout::Flat;
    const int bits = flat || layout == GxtLayout::Tabled ? 16 : document.bits;
    if (bits != 8 && bits != 16)
        return Result::failure(QStringLiteral("a GXT file has 8 or 16 bits per character, not %1").arg(bits));
    const qint64 unitBytes = bits / 8;
    if (flat && document.tables.size() != 1)
        return Result::failure(QStringLiteral("a flat GXT file holds exactly one table, not %1").arg(document.tables.size()));
    if (!flat && (document.tables.empty() || document.tables.front().name.bytes() != QByteArrayView("MAIN")))
        return Result::failure(QStringLiteral("a GXT file of tables needs its MAIN table first"));

    // Everything is checked and measured before a single byte exists, so a refused save
    // writes nothing.
    const int recordSize = layout == GxtLayout::Hashed ? 8 : 12;
    qint64 total = 0;
    std::vector<qint64> dataSizes(document.tables.size());
    for (size_t t = 0; t < document.tables.size(); ++t) {
        const RawTable &table = document.tables[t];
        qint64 dataSize = 0;
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const RawEntry &entry = table.entries[i];
            const QString problem = unwritableUnit(entry.units, bits);
            if (!problem.isEmpty()) {
                return Result::failure(QStringLiteral("%1: the text holds %2")
                                           .arg(describeEntry(layout, nameText(table.name), int(i + 1),
                                                              describeRawKey(layout, entry)),
                                                problem));
            }
            dataSize += unitBytes * (entry.units.size() + 1);
        }
        dataSizes[t] = dataSize;
        total += qint64(table.entries.size());
    }

    const std::vector<int> tables = tableOrder(document);
    // Where each table's block goes.
    const qint64 base = layout == GxtLayout::Hashed ? 4 : 0;
    std::vector<qint64> blockAt(document.tables.size());
    qint64 size = 0;
    if (flat) {
        size = 16 + 12 * total + dataSizes.front();
    } else {
        qint64 p = base + 8 + 12 * qint64(document.tables.size());
        for (size_t k = 0; k < tables.size(); ++k) {
            const size_t t = size_t(tables[k]);
            p = alignedTo4(p);
            blockAt[t] = p;
            p += (k > 0 ? 8 : 0) + 8 + recordSize * qint64(document.tables[t].entries.size()) + 8 + dataSizes[t];
        }
        size = alignedTo4(p);
    }
    constexpr qint64 Largest = std::numeric_limits<qint32>::max();
    if (size > Largest) {
        return Result::failure(QStringLiteral("the document is too large for a GXT file (%1 entries, %2 bytes)")
                                   .arg(total)
                                   .arg(size));
    }

    FileProgress progress(hooks);
    progress.setMaximum(double(3 * total));
    std::vector<std::vector<int>> orders(document.tables.size());
    for (size_t t = 0; t < document.tables.size(); ++t)
        orders[t] = entryOrder(layout, document.tables[t].entries);
    progress.pass();

    QByteArray bytes(size, '\0');
    char *p = bytes.data();
    if (!flat) {
        if (layout == GxtLayout::Hashed) {
            qToLittleEndian<quint16>(4, p);
            qToLittleEndian<quint16>(quint16(bits), p + 2);
            p += 4;
        }
        putBytes(p, "TABL", 4);
        putInt32(p, 12 * qint64(document.tables.size()));
        for (int t : tables) {
            putBytes(p, document.tables[size_t(t)].name.field().data(), 8);
            putUInt32(p, quint32(blockAt[size_t(t)]));
        }
    }
    for (size_t k = 0; k < tables.size(); ++k) {
        const size_t t = size_t(tables[k]);
        const RawTable &table = document.tables[t];
        if (!flat) {
            p = bytes.data() + blockAt[t];
            if (k > 0)
                putBytes(p, table.name.field().data(), 8);
        }
        const std::vector<int> &order = orders[t];
        putBytes(p, "TKEY", 4);
        putInt32(p, recordSize * qint64(order.size()));
        qint64 offset = 0;
        for (int i : order) {
            const RawEntry &entry = table.entries[size_t(i)];
            if (layout == GxtLayout::Hashed) {
                putUInt32(p, quint32(offset));
                putUInt32(p, entry.hash);
            } else {
                putInt32(p, offset);
                putBytes(p, entry.key.field().data(), 8);
            }
            offset += unitBytes * (entry.units.size() + 1);
            progress.record();
        }
        putBytes(p, "TDAT", 4);
        putInt32(p, dataSizes[t]);
        for (int i : order) {
            const QString &units = table.entries[size_t(i)].units;
            if (unitBytes == 2) {
                qToLittleEndian<quint16>(units.utf16(), units.size(), p);
                p += 2 * units.size();
                p += 2; // the terminator: the buffer is zeroed
            } else {
                for (QChar c : units)
                    *p++ = char(uchar(c.unicode()));
                ++p;
            }
            progress.text();
        }
    }
    Q_ASSERT(flat ? p == bytes.data() + bytes.size() : p <= bytes.data() + bytes.size());
    progress.reset();
    out = std::move(bytes);
    return {};
}

QStringList gameWarnings(const RawDocument &document)
{
    QStringList warnings;
    const GxtLayout layout = document.layout;
    for (const RawTable &table : document.tables) {
        const QString tableName = nameText(table.name);
        const QString prefix = layout == GxtLayout::Flat ? QString() : QStringLiteral("table %1: ").arg(tableName);
        QHash<QString, int> seen;
        QStringList repeated;
        for (const RawEntry &entry : table.entries) {
            const QString key = describeRawKey(layout, entry);
            if (++seen[key] == 2)
                repeated.append(key);
        }
        for (const QString &key : std::as_const(repeated)) {
            warnings.append(QStringLiteral("%1the key %2 appears %3 times; the game finds only one of them")
                                .arg(prefix, key)
                                .arg(seen.value(key)));
        }
        for (size_t i = 1; i < table.entries.size(); ++i) {
            if (writerOrderLess(layout, table.entries[i], table.entries[i - 1])) {
                warnings.append(QStringLiteral("%1the keys are not in the order the game searches them: %2 stands "
                                               "before %3")
                                    .arg(prefix, describeRawKey(layout, table.entries[i - 1]),
                                         describeRawKey(layout, table.entries[i])));
                break;
            }
        }
    }
    if (layout == GxtLayout::Hashed && document.tables.size() > size_t(GxtLimits::MaxHashedTables)) {
        warnings.append(QStringLiteral("the file has %1 tables; the game keeps at most %2")
                            .arg(document.tables.size())
                            .arg(GxtLimits::MaxHashedTables));
    }
    return warnings;
}

} // namespace quillet
