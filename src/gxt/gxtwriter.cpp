// Writing a whole GXT file through its format, and the order a write puts things in.
#include "gxtformat.h"
#include "rawgxt.h"

namespace quillet {

namespace {

std::vector<const RawTable *> tablesOf(const RawDocument &document)
{
    std::vector<const RawTable *> tables;
    tables.reserve(document.tables.size());
    for (const RawTable &table : document.tables)
        tables.push_back(&table);
    return tables;
}

} // namespace

Result writeGxt(const RawDocument &document, QByteArray &out, const FileOperationHooks &hooks)
{
    out.clear();
    if (!document.format)
        return Result::failure(QStringLiteral("the document has no format to be written in"));
    if (!document.format->takesBits(document.bits)) {
        return Result::failure(QStringLiteral("a %1 file cannot have %2-bit texts")
                                   .arg(document.format->id())
                                   .arg(document.bits));
    }
    FileProgress progress(hooks);
    return document.format->write(document.bits, tablesOf(document), out, progress);
}

RawDocument inWriterOrder(const RawDocument &document)
{
    RawDocument ordered;
    ordered.format = document.format;
    ordered.bits = document.bits;
    ordered.hash = document.hash;
    if (!document.format)
        return ordered;
    const std::vector<const RawTable *> tables = tablesOf(document);
    for (int t : document.format->tableOrder(tables)) {
        const RawTable &table = document.tables[size_t(t)];
        RawTable copy;
        copy.name = table.name;
        copy.entries.reserve(table.entries.size());
        for (int i : document.format->entryOrder(table.entries))
            copy.entries.push_back(table.entries[size_t(i)]);
        ordered.tables.push_back(std::move(copy));
    }
    return ordered;
}

} // namespace quillet
