// Reading a whole GXT file: which format its first bytes announce, then that format's reader.
#include "bytesource.h"
#include "fileio.h"
#include "gxtformat.h"
#include "rawgxt.h"

namespace quillet {

namespace {

QString tagOf(QByteArrayView head)
{
    QString shown;
    for (char c : head.first(std::min<qsizetype>(head.size(), 4)))
        shown += (c >= 0x20 && c < 0x7F) ? QChar(QLatin1Char(c)) : QChar(u'.');
    return shown;
}

Result readAny(ByteSource &source, RawDocument &out, const FileOperationHooks &hooks, const ReadOptions &options)
{
    FileProgress progress(hooks);
    ReadContext context{progress, options};
    const qint64 size = source.size();
    if (size == 0)
        return Result::failure(QStringLiteral("the file is 0 bytes long; a GXT file has at least 8"));
    const qint64 headSize = std::min<qint64>(size, 8);
    const char *head = source.at(0, headSize);
    if (!head)
        return Result::failure(source.errorString());
    const QByteArrayView headBytes(head, headSize);
    if (const GxtFormat *format = GxtFormat::detect(headBytes))
        return format->read(source, out, context);

    // A format whose first tag is never read may still be what this is; when it does not
    // read as one either, the first bytes say what the file is not.
    const QString tag = tagOf(headBytes);
    QString failures;
    for (const GxtFormat *format : GxtFormat::all()) {
        if (!format->readsUntagged())
            continue;
        out = RawDocument();
        Result read = format->read(source, out, context);
        if (read)
            return read;
        failures = read.errorString();
    }
    return Result::failure(QStringLiteral("it is not a GXT file: it starts with no tag of a format Quillet knows "
                                          "(TKEY or TABL), and read as a flat table it fails: %1")
                               .arg(failures));
}

Result finish(Result read, RawDocument &out)
{
    if (!read)
        out = RawDocument();
    return read;
}

} // namespace

TextInspector::~TextInspector() = default;
TextPlacement::~TextPlacement() = default;

int SalvageReport::total() const
{
    int sum = 0;
    for (const Table &table : tables)
        sum += table.entries;
    return sum;
}

QString SalvageReport::description() const
{
    QStringList said;
    for (const Table &table : tables) {
        said.append(table.entries == 1
                        ? QStringLiteral("1 entry of table %1 points outside its texts and cannot be read.").arg(table.name)
                        : QStringLiteral("%1 entries of table %2 point outside its texts and cannot be read.")
                              .arg(table.entries)
                              .arg(table.name));
    }
    return said.join(QLatin1Char(' '));
}

Result readGxt(QByteArrayView data, RawDocument &out, const FileOperationHooks &hooks, const ReadOptions &options)
{
    out = RawDocument();
    if (options.salvage)
        *options.salvage = SalvageReport();
    MemoryBytes source(data);
    return finish(readAny(source, out, hooks, options), out);
}

Result readGxtFile(const QString &path, RawDocument &out, const FileOperationHooks &hooks, const ReadOptions &options)
{
    out = RawDocument();
    QFile file;
    Result opened = openReadableFile(path, file);
    if (!opened)
        return opened;
    if (options.salvage)
        *options.salvage = SalvageReport();
    FileBytes source(file, file.size());
    return finish(readAny(source, out, hooks, options), out);
}

} // namespace quillet
