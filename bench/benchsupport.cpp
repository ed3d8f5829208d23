#include "benchsupport.h"

#include "gxtdocument.h"
#include "gxtformat.h"
#include "rawgxt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace quillet;

namespace quilletbench {

namespace {

std::unique_ptr<QTemporaryDir> folder;
std::vector<BenchTable> tables;

bool writeFile(const QString &path, const QByteArray &bytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Writes the file and notes what a reader and a save must find in it; the reader must take
// every generated file, or the generator is wrong.
bool addTable(const std::string &label, const QByteArray &bytes, bool writerOrder, QString &error)
{
    BenchTable table;
    table.label = label;
    table.writerOrder = writerOrder;
    table.path = folder->filePath(QString::fromStdString(label) + QStringLiteral(".gxt"));
    table.fileSize = bytes.size();
    RawDocument raw;
    const Result read = readGxt(bytes, raw);
    if (!read) {
        error = QStringLiteral("the generated %1 table does not read: %2")
                    .arg(QString::fromStdString(label), read.errorString());
        return false;
    }
    const QString id = raw.format->id();
    table.layout = id == QLatin1String("flat") ? Layout::Flat : id == QLatin1String("tabled") ? Layout::Tabled : Layout::Hashed;
    table.bits = raw.bits;
    table.tableCount = int(raw.tables.size());
    table.firstTableRows = int(raw.tables.front().entries.size());
    for (size_t t = 0; t < raw.tables.size(); ++t) {
        table.entries += qint64(raw.tables[t].entries.size());
        if (t > 0 && (table.largestOtherTable < 0
                      || raw.tables[t].entries.size() > raw.tables[size_t(table.largestOtherTable)].entries.size()))
            table.largestOtherTable = int(t);
    }
    // A load and a save give back the units as read, so the save writes what the writer
    // makes of the raw document: every text once per record, in key order.
    QByteArray saved;
    const Result rewritten = writeGxt(raw, saved);
    if (!rewritten) {
        error = QStringLiteral("the %1 table cannot be written: %2")
                    .arg(QString::fromStdString(label), rewritten.errorString());
        return false;
    }
    table.savedSize = saved.size();
    if (!writeFile(table.path, bytes, error))
        return false;
    tables.push_back(std::move(table));
    return true;
}

} // namespace

bool prepareTables(QString &error)
{
    folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillet-bench-XXXXXX"));
    if (!folder->isValid()) {
        error = QStringLiteral("cannot make a temporary folder: %1").arg(folder->errorString());
        return false;
    }
    tables.clear();
    tables.reserve(9);
    const QByteArray largest = generateFile(largestShape());
    if (!addTable("largest", largest, false, error))
        return false;
    // The same table as our own writer lays it out.
    RawDocument raw;
    QByteArray rewritten;
    if (!readGxt(largest, raw).ok() || !writeGxt(raw, rewritten).ok()) {
        error = QStringLiteral("the largest table cannot be rewritten");
        return false;
    }
    if (!addTable("largest_writer", rewritten, true, error))
        return false;
    // A flat table of no entries: what running anything on a table costs, whatever its size.
    if (!addTable("empty", QByteArray("TKEY\0\0\0\0TDAT\0\0\0\0", 16), true, error))
        return false;
    for (const FileShape &shape : {mainShape(), oneEntryShape(), hashedShape(16), hashedShape(8), tabledShape(), asianShape()}) {
        if (!addTable(shape.label, generateFile(shape), false, error))
            return false;
    }
    return true;
}

const std::vector<BenchTable> &benchTables()
{
    return tables;
}

const BenchTable &benchTable(const std::string &label)
{
    for (const BenchTable &table : tables) {
        if (table.label == label)
            return table;
    }
    qFatal("quillet-bench: no table named %s", label.c_str());
}

QString workFolder()
{
    return folder->path();
}

FileOperationHooks editorHooks(ProgressState &progress)
{
    FileOperationHooks hooks;
    hooks.begin = [&progress] { progress.busy = true; };
    hooks.end = [&progress] { progress.busy = false; };
    hooks.setProgressMaximum = [&progress](double maximum) { progress.maximum = maximum; };
    hooks.advance = [&progress](double by) {
        progress.value += by;
        QCoreApplication::processEvents();
    };
    hooks.resetProgress = [&progress] { progress.value = 0; };
    return hooks;
}

MemoryUse currentMemoryUse()
{
    MemoryUse use;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return use;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        auto field = [&line](const char *key, qint64 &into) {
            if (line.startsWith(key))
                into = line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
        };
        field("VmHWM:", use.peakKiB);
        field("VmRSS:", use.residentKiB);
    }
    return use;
}

} // namespace quilletbench
