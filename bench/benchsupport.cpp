#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace quilletbench {

namespace {

std::unique_ptr<QTemporaryDir> folder;
BenchTable largest;
BenchTable mainLike;
BenchTable oneEntry;

bool writeTable(BenchTable &table, QString &error)
{
    table.rows = generateTable(table.shape);
    quillet::GxtWriter writer;
    QByteArray bytes;
    if (!writer.build(table.rows, bytes)) {
        error = QStringLiteral("the %1 table cannot be written: %2")
                    .arg(QLatin1String(table.shape.label), writer.errorString());
        return false;
    }
    table.path = folder->filePath(QStringLiteral("%1.gxt").arg(QLatin1String(table.shape.label)));
    QFile file(table.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = QStringLiteral("%1: %2").arg(table.path, file.errorString());
        return false;
    }
    file.close();
    table.fileSize = bytes.size();
    // Keep the rows as the file holds them, in the writer's order.
    quillet::GxtReader reader;
    if (!reader.read(bytes, table.rows)) {
        error = QStringLiteral("%1: %2").arg(table.path, reader.errorString());
        return false;
    }
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
    largest.shape = largestShape();
    mainLike.shape = mainShape();
    oneEntry.shape = oneEntryShape();
    return writeTable(largest, error) && writeTable(mainLike, error) && writeTable(oneEntry, error);
}

const BenchTable &largestTable()
{
    return largest;
}

const BenchTable &mainTable()
{
    return mainLike;
}

const BenchTable &oneEntryTable()
{
    return oneEntry;
}

QString workFolder()
{
    return folder->path();
}

quillet::FileOperationHooks editorHooks(ProgressState &progress)
{
    quillet::FileOperationHooks hooks;
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
