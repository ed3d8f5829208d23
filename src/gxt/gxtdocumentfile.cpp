#include "gxtdocumentfile.h"

#include "codepage.h"
#include "fileio.h"
#include "gxtformat.h"
#include "stringtable.h"

#include <QFile>

namespace quillet {

namespace {

Result finishLoad(Result read, RawDocument &&raw, GxtDocument &document)
{
    // Only a complete, sound document replaces what the caller had.
    if (read)
        document.assign(std::move(raw));
    return read;
}

Result mismatch(const QString &where)
{
    return Result::failure(
        QStringLiteral("the file written does not read back as the table: %1; the save was stopped").arg(where));
}

} // namespace

// Where the reader found the texts of the tables after the first, kept per table.
class PendingCollector : public TextPlacement
{
public:
    PendingCollector(const RawDocument &raw, std::shared_ptr<const QByteArray> bytes)
        : m_raw(raw)
        , m_bytes(std::move(bytes))
    {
    }
    void place(int table, int entry, qint64 start, qint64 length, int unitBytes, int sharedWith) override
    {
        if (size_t(table) >= pending.size())
            pending.resize(size_t(table) + 1);
        std::unique_ptr<PendingTexts> &texts = pending[size_t(table)];
        if (!texts) {
            const size_t count = m_raw.tables[size_t(table)].entries.size();
            texts = std::make_unique<PendingTexts>();
            texts->bytes = m_bytes;
            texts->unitBytes = unitBytes;
            texts->starts.assign(count, 0);
            texts->lengths.assign(count, 0);
            texts->sharedWith.assign(count, -1);
        }
        texts->starts[size_t(entry)] = start;
        texts->lengths[size_t(entry)] = length;
        texts->sharedWith[size_t(entry)] = sharedWith;
    }

    std::vector<std::unique_ptr<PendingTexts>> pending;

private:
    const RawDocument &m_raw;
    std::shared_ptr<const QByteArray> m_bytes;
};

Result readForLoad(const QString &path, LoadedFile &out, const FileOperationHooks &hooks, SalvageReport *salvage)
{
    out = LoadedFile();
    // A file of tables is read whole and its later tables' texts left where they are; a file
    // of one table is read a window at a time into the strings it becomes, so that its bytes
    // never stand in memory beside its texts.
    QFile file;
    Result opened = openReadableFile(path, file);
    if (!opened)
        return opened;
    const QByteArray head = file.peek(8);
    const GxtFormat *format = GxtFormat::detect(head);
    file.close();
    ReadOptions options;
    options.salvage = salvage;
    if (!format || !format->hasTables())
        return readGxtFile(path, out.raw, hooks, options);
    auto bytes = std::make_shared<QByteArray>();
    Result read = readFileBytes(path, *bytes);
    if (!read)
        return read;
    PendingCollector collector(out.raw, bytes);
    options.placement = &collector;
    read = readGxt(*bytes, out.raw, hooks, options);
    if (read)
        out.pending = std::move(collector.pending);
    else
        out = LoadedFile();
    return read;
}

Result LoadGxt(const QString &path, GxtDocument &document, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    LoadedFile loaded;
    Result read = readForLoad(path, loaded, hooks);
    if (read)
        document.assign(std::move(loaded.raw), std::move(loaded.pending));
    return read;
}

Result loadGxtBytes(QByteArrayView bytes, GxtDocument &document, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    RawDocument raw;
    Result read = readGxt(bytes, raw, hooks);
    return finishLoad(std::move(read), std::move(raw), document);
}

Result buildGxt(const GxtDocument &document, QByteArray &bytes, const FileOperationHooks &hooks)
{
    bytes.clear();
    FileProgress progress(hooks);
    return document.format().write(document.bits(), document.rawTables(), bytes, progress);
}

namespace {

// Compares the texts of the file read back with what they should be as the reader hands
// them over, so that a save's check makes no string of its own for any text.
class ReadBackCheck : public TextInspector
{
public:
    explicit ReadBackCheck(std::vector<std::vector<const StringEntry *>> expected)
        : m_expected(std::move(expected))
    {
    }
    void inspect(int table, int entry, QStringView units) override
    {
        if (m_table >= 0)
            return;
        const bool known = size_t(table) < m_expected.size() && size_t(entry) < m_expected[size_t(table)].size();
        if (!known || units != QStringView(m_expected[size_t(table)][size_t(entry)]->units)) {
            m_table = table;
            m_entry = entry;
        }
    }
    // The first entry whose text differs, as (table, entry) of the file; (-1, -1) for none.
    int table() const { return m_table; }
    int entry() const { return m_entry; }

private:
    std::vector<std::vector<const StringEntry *>> m_expected;
    int m_table = -1;
    int m_entry = -1;
};

// `tables` in the order the file should hold them, each's entries in `orders`.
Result verifyAgainst(QByteArrayView bytes, const GxtFormat &format, int bits, const std::vector<const RawTable *> &tables,
                     const std::vector<std::vector<int>> &orders)
{
    std::vector<std::vector<const StringEntry *>> expected(tables.size());
    for (size_t k = 0; k < tables.size(); ++k) {
        expected[k].reserve(orders[k].size());
        for (int i : orders[k])
            expected[k].push_back(&tables[k]->entries[size_t(i)]);
    }
    ReadBackCheck check(expected);
    RawDocument found;
    ReadOptions options;
    options.inspector = &check;
    const Result read = readGxt(bytes, found, {}, options);
    if (!read) {
        return Result::failure(QStringLiteral("the file written does not read back (%1); the save was stopped")
                                   .arg(read.errorString()));
    }
    if (found.format != &format || found.bits != bits)
        return mismatch(QStringLiteral("its format or text width differs"));
    if (found.tables.size() != tables.size())
        return mismatch(QStringLiteral("it holds %1 tables instead of %2").arg(found.tables.size()).arg(tables.size()));
    for (size_t k = 0; k < tables.size(); ++k) {
        const RawTable &wanted = *tables[k];
        const RawTable &back = found.tables[k];
        const QString table = nameFromBytes(wanted.name.bytes());
        if (!(back.name == wanted.name))
            return mismatch(QStringLiteral("table %1 reads back as %2").arg(table, nameFromBytes(back.name.bytes())));
        if (back.entries.size() != expected[k].size()) {
            return mismatch(QStringLiteral("table %1 holds %2 entries instead of %3")
                                .arg(table)
                                .arg(back.entries.size())
                                .arg(expected[k].size()));
        }
        for (size_t i = 0; i < back.entries.size(); ++i) {
            const StringEntry &should = *expected[k][i];
            const bool textDiffers = check.table() == int(k) && check.entry() == int(i);
            if (textDiffers || !back.entries[i].sameKey(should))
                return mismatch(QStringLiteral("%1 differs").arg(describeEntry(format, table, int(i + 1), format.keyText(should))));
        }
    }
    return {};
}

} // namespace

Result verifyGxt(QByteArrayView bytes, const RawDocument &expected)
{
    if (!expected.format)
        return mismatch(QStringLiteral("there is no document to compare it with"));
    std::vector<const RawTable *> tables;
    std::vector<std::vector<int>> orders;
    for (const RawTable &table : expected.tables) {
        tables.push_back(&table);
        std::vector<int> order(table.entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        orders.push_back(std::move(order));
    }
    return verifyAgainst(bytes, *expected.format, expected.bits, tables, orders);
}

Result verifyGxt(QByteArrayView bytes, const GxtDocument &document)
{
    const GxtFormat &format = document.format();
    const std::vector<const RawTable *> inFileOrder = document.rawTables();
    std::vector<const RawTable *> tables;
    std::vector<std::vector<int>> orders;
    for (int t : format.tableOrder(inFileOrder)) {
        tables.push_back(inFileOrder[size_t(t)]);
        orders.push_back(format.entryOrder(inFileOrder[size_t(t)]->entries));
    }
    return verifyAgainst(bytes, format, document.bits(), tables, orders);
}

Result SaveGxt(const QString &path, const GxtDocument &document, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    QByteArray bytes;
    Result built = buildGxt(document, bytes, hooks);
    if (!built)
        return built;
    return writeFileAtomically(path, bytes, [&document](const QByteArray &written) { return verifyGxt(written, document); });
}

} // namespace quillet
