// The core's costs beside the cost of merely moving the bytes: load and save of a whole
// table against reading or writing its file and converting every character once, and
// the re-sort that a header click asks of the table.
#include "benchsupport.h"
#include "stringtable.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <unistd.h>

#include <cstring>
#include <memory>

using namespace quillet;

namespace quilletbench {

namespace {

void fail(benchmark::State &state, const QString &reason)
{
    state.SkipWithError(reason.toUtf8().constData());
}

void setBytes(benchmark::State &state, const BenchTable &table)
{
    state.SetBytesProcessed(state.iterations() * table.fileSize);
    state.counters["entries"] = double(table.rows.size());
}

// LoadGxt as the editor calls it, into a table that a fresh window would hold.
void loadBenchmark(benchmark::State &state, const BenchTable *table)
{
    ProgressState progress;
    const FileOperationHooks hooks = editorHooks(progress);
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique<StringTable>();
        state.ResumeTiming();
        const GxtLoadResult result = LoadGxt(table->path, *target, hooks);
        state.PauseTiming();
        if (!result.ok || target->count() != int(table->rows.size())) {
            fail(state, QStringLiteral("the load failed: %1").arg(result.errorString));
            break;
        }
        target.reset(); // freeing a table is the next open's business, not this one's
        state.ResumeTiming();
    }
    setBytes(state, *table);
}

// The least a load can do: read the file and decode every character of every name and
// text once, in one call, from the low bytes gathered into one buffer.
void loadFloorBenchmark(benchmark::State &state, const BenchTable *table)
{
    QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        fail(state, QStringLiteral("this Qt has no windows-1252 decoder"));
        return;
    }
    for (auto _ : state) {
        QFile file(table->path);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(state, file.errorString());
            break;
        }
        const QByteArray data = file.readAll();
        file.close();
        const char *bytes = data.constData();
        const qint64 keySize = qFromLittleEndian<qint32>(bytes + 4);
        const qint64 entries = keySize / 12;
        const qint64 textBase = 16 + keySize;
        const qint64 units = (data.size() - textBase) / 2;
        QByteArray low(entries * 8 + units, Qt::Uninitialized);
        char *out = low.data();
        for (qint64 i = 0; i < entries; ++i, out += 8)
            std::memcpy(out, bytes + 12 + 12 * i, 8);
        const char *unit = bytes + textBase;
        for (qint64 u = 0; u < units; ++u)
            out[u] = unit[2 * u];
        const QString text = decoder.decode(low);
        benchmark::DoNotOptimize(text.constData());
    }
    setBytes(state, *table);
}

// SaveGxt as the editor calls it: to a file that exists, replaced atomically.
void saveBenchmark(benchmark::State &state, const BenchTable *table)
{
    StringTable source;
    source.assignSorted(table->rows, StringTable::ByName);
    const QString path = workFolder() + QStringLiteral("/save-%1.gxt").arg(QLatin1String(table->shape.label));
    QFile::copy(table->path, path);
    ProgressState progress;
    const FileOperationHooks hooks = editorHooks(progress);
    for (auto _ : state) {
        const GxtSaveResult result = SaveGxt(path, source, hooks);
        if (!result.ok) {
            fail(state, QStringLiteral("the save failed: %1").arg(result.errorString));
            break;
        }
    }
    if (QFileInfo(path).size() != table->fileSize)
        fail(state, QStringLiteral("the saved file has %1 bytes, not %2").arg(QFileInfo(path).size()).arg(table->fileSize));
    setBytes(state, *table);
}

// The least a save can do: encode every name and text once and write as many bytes as
// the file has, as durably as the save does (the data reach the disk before it returns).
void saveFloorBenchmark(benchmark::State &state, const BenchTable *table)
{
    QStringEncoder encoder("windows-1252", QStringEncoder::Flag::Stateless);
    if (!encoder.isValid()) {
        fail(state, QStringLiteral("this Qt has no windows-1252 encoder"));
        return;
    }
    const QString path = workFolder() + QStringLiteral("/floor-%1.bin").arg(QLatin1String(table->shape.label));
    for (auto _ : state) {
        QByteArray bytes(table->fileSize, '\0');
        char *out = bytes.data();
        for (const StringEntry &row : table->rows) {
            out = encoder.appendToBuffer(out, row.name);
            out = encoder.appendToBuffer(out, row.value);
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
            || !file.flush() || ::fdatasync(file.handle()) != 0) {
            fail(state, file.errorString());
            break;
        }
        file.close();
    }
    setBytes(state, *table);
}

// A header click in the core: the table, sorted by Name, re-sorted by Value and back.
void sortBenchmark(benchmark::State &state, const BenchTable *table, int key)
{
    StringTable target;
    target.assignSorted(table->rows, StringTable::ByName);
    const int other = key == StringTable::ByName ? StringTable::ByValue : StringTable::ByName;
    target.setSortKey(other);
    for (auto _ : state) {
        target.setSortKey(key);
        state.PauseTiming();
        target.setSortKey(other);
        state.ResumeTiming();
    }
    state.counters["entries"] = double(table->rows.size());
}

void sortByValue(benchmark::State &state, const BenchTable *table)
{
    sortBenchmark(state, table, StringTable::ByValue);
}

void sortByName(benchmark::State &state, const BenchTable *table)
{
    sortBenchmark(state, table, StringTable::ByName);
}

} // namespace

void registerCoreBenchmarks()
{
    for (const BenchTable *table : {&largestTable(), &mainTable()}) {
        const QString label = QLatin1String(table->shape.label);
        auto add = [&](const char *operation, void (*function)(benchmark::State &, const BenchTable *)) {
            const std::string name = QStringLiteral("%1/%2").arg(QLatin1String(operation), label).toStdString();
            benchmark::RegisterBenchmark(name.c_str(), function, table)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        };
        add("load", loadBenchmark);
        add("load_floor", loadFloorBenchmark);
        add("save", saveBenchmark);
        add("save_floor", saveFloorBenchmark);
        if (table == &largestTable()) {
            add("sort_by_value", sortByValue);
            add("sort_by_name", sortByName);
        }
    }
}

} // namespace quilletbench
