#include "gxtdocumentfile.h"

#include "fileio.h"
#include "stringtable.h"

namespace quillet {

std::shared_ptr<const CharacterNumbering> LoadOptions::numbering(GxtLayout layout) const
{
    std::shared_ptr<const CharacterNumbering> chosen = numberingFor ? numberingFor(layout) : nullptr;
    return chosen ? chosen : CharacterNumbering::defaultFor(layout);
}

namespace {

Result finishLoad(Result read, RawDocument &&raw, GxtDocument &document, const LoadOptions &options)
{
    if (!read)
        return read;
    const std::shared_ptr<const CharacterNumbering> numbering = options.numbering(raw.layout);
    const int sortOrder = document.table(0)->sortOrder();
    // Only a complete, sound document replaces what the caller had.
    document.assign(decodeRawDocument(std::move(raw), *numbering, options.keyNames), numbering, options.keyNames,
                    sortOrder);
    return read;
}

QString firstDifference(const RawDocument &found, const RawDocument &expected)
{
    if (found.layout != expected.layout || found.bits != expected.bits)
        return QStringLiteral("its layout or text width differs");
    if (found.tables.size() != expected.tables.size())
        return QStringLiteral("it holds %1 tables instead of %2").arg(found.tables.size()).arg(expected.tables.size());
    for (size_t t = 0; t < found.tables.size(); ++t) {
        const RawTable &a = found.tables[t];
        const RawTable &b = expected.tables[t];
        const QString table = nameFromBytes(b.name.bytes());
        if (!(a.name == b.name))
            return QStringLiteral("table %1 reads back as %2").arg(table, nameFromBytes(a.name.bytes()));
        if (a.entries.size() != b.entries.size()) {
            return QStringLiteral("table %1 holds %2 entries instead of %3")
                .arg(table)
                .arg(a.entries.size())
                .arg(b.entries.size());
        }
        for (size_t i = 0; i < a.entries.size(); ++i) {
            if (!(a.entries[i] == b.entries[i])) {
                return QStringLiteral("%1 differs")
                    .arg(describeEntry(expected.layout, table, int(i + 1),
                                       describeRawKey(expected.layout, b.entries[i])));
            }
        }
    }
    return {};
}

} // namespace

Result LoadGxt(const QString &path, GxtDocument &document, const LoadOptions &options, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    RawDocument raw;
    Result read = readGxtFile(path, raw, hooks);
    return finishLoad(std::move(read), std::move(raw), document, options);
}

Result loadGxtBytes(QByteArrayView bytes, GxtDocument &document, const LoadOptions &options,
                    const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    RawDocument raw;
    Result read = readGxt(bytes, raw, hooks);
    return finishLoad(std::move(read), std::move(raw), document, options);
}

Result buildGxt(const GxtDocument &document, QByteArray &bytes, const FileOperationHooks &hooks, RawDocument *raw)
{
    bytes.clear();
    RawDocument encoded;
    Result result = document.toRaw(encoded);
    if (!result)
        return result;
    result = writeGxt(encoded, bytes, hooks);
    if (result && raw)
        *raw = std::move(encoded);
    return result;
}

Result verifyGxt(QByteArrayView bytes, const RawDocument &expected)
{
    RawDocument found;
    const Result read = readGxt(bytes, found);
    if (!read) {
        return Result::failure(QStringLiteral("the file written does not read back (%1); the save was stopped")
                                   .arg(read.errorString()));
    }
    if (found == expected)
        return {};
    return Result::failure(QStringLiteral("the file written does not read back as the table: %1; the save was stopped")
                               .arg(firstDifference(found, expected)));
}

Result SaveGxt(const QString &path, const GxtDocument &document, const FileOperationHooks &hooks)
{
    OperationScope scope(hooks);
    QByteArray bytes;
    RawDocument raw;
    Result built = buildGxt(document, bytes, hooks, &raw);
    if (!built)
        return built;
    const RawDocument expected = inWriterOrder(raw);
    raw = RawDocument();
    return writeFileAtomically(path, bytes, [&expected](const QByteArray &written) { return verifyGxt(written, expected); });
}

} // namespace quillet
