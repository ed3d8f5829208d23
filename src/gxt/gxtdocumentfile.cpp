#include "gxtdocumentfile.h"

#include "codepage.h"
#include "fileio.h"
#include "gxtformat.h"
#include "stringtable.h"

namespace quillet {

namespace {

Result finishLoad(Result read, RawDocument &&raw, GxtDocument &document)
{
    // Only a complete, sound document replaces what the caller had.
    if (read)
        document.assign(std::move(raw));
    return read;
}

// Where a table read back first differs from the table it should be, its entries taken in
// `order`; empty when it does not.
QString tableDifference(const GxtFormat &format, const RawTable &found, const RawTable &expected,
                        const std::vector<int> &order)
{
    const QString table = nameFromBytes(expected.name.bytes());
    if (!(found.name == expected.name))
        return QStringLiteral("table %1 reads back as %2").arg(table, nameFromBytes(found.name.bytes()));
    if (found.entries.size() != order.size()) {
        return QStringLiteral("table %1 holds %2 entries instead of %3")
            .arg(table)
            .arg(found.entries.size())
            .arg(order.size());
    }
    for (size_t i = 0; i < order.size(); ++i) {
        const StringEntry &wanted = expected.entries[size_t(order[i])];
        if (!found.entries[i].sameContent(wanted))
            return QStringLiteral("%1 differs").arg(describeEntry(format, table, int(i + 1), format.keyText(wanted)));
    }
    return {};
}

Result readBack(QByteArrayView bytes, RawDocument &found)
{
    const Result read = readGxt(bytes, found);
    if (!read) {
        return Result::failure(QStringLiteral("the file written does not read back (%1); the save was stopped")
                                   .arg(read.errorString()));
    }
    return {};
}

Result mismatch(const QString &where)
{
    return Result::failure(
        QStringLiteral("the file written does not read back as the table: %1; the save was stopped").arg(where));
}

} // namespace

Result LoadGxt(const QString &path, GxtDocument &document, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    RawDocument raw;
    Result read = readGxtFile(path, raw, hooks);
    return finishLoad(std::move(read), std::move(raw), document);
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

Result verifyGxt(QByteArrayView bytes, const RawDocument &expected)
{
    RawDocument found;
    Result read = readBack(bytes, found);
    if (!read)
        return read;
    if (found.format != expected.format || found.bits != expected.bits)
        return mismatch(QStringLiteral("its format or text width differs"));
    if (found.tables.size() != expected.tables.size())
        return mismatch(QStringLiteral("it holds %1 tables instead of %2").arg(found.tables.size()).arg(expected.tables.size()));
    for (size_t t = 0; t < found.tables.size(); ++t) {
        std::vector<int> order(expected.tables[t].entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        const QString where = tableDifference(*expected.format, found.tables[t], expected.tables[t], order);
        if (!where.isEmpty())
            return mismatch(where);
    }
    return {};
}

Result verifyGxt(QByteArrayView bytes, const GxtDocument &document)
{
    RawDocument found;
    Result read = readBack(bytes, found);
    if (!read)
        return read;
    const GxtFormat &format = document.format();
    if (found.format != &format || found.bits != document.bits())
        return mismatch(QStringLiteral("its format or text width differs"));
    const std::vector<const RawTable *> tables = document.rawTables();
    if (found.tables.size() != tables.size())
        return mismatch(QStringLiteral("it holds %1 tables instead of %2").arg(found.tables.size()).arg(tables.size()));
    const std::vector<int> tableOrder = format.tableOrder(tables);
    for (size_t k = 0; k < tableOrder.size(); ++k) {
        const RawTable &expected = *tables[size_t(tableOrder[k])];
        const QString where = tableDifference(format, found.tables[k], expected, format.entryOrder(expected.entries));
        if (!where.isEmpty())
            return mismatch(where);
    }
    return {};
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
