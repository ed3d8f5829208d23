#pragma once

// What the benchmarks share: the generated tables, written once to files before any
// benchmark runs, and the load and save hooks as the editor sets them.
#include "gxtfile.h"
#include "tablegen.h"

#include <QString>

#include <vector>

namespace quilletbench {

struct BenchTable {
    TableShape shape;
    std::vector<quillet::StringEntry> rows; // in the writer's order, as the file holds them
    QString path;                           // the table written by our own writer
    qint64 fileSize = 0;
};

// Generates both tables and writes their files into a folder that lives as long as the
// program. Call once before the benchmarks run; false (with a reason) if it failed.
bool prepareTables(QString &error);
const BenchTable &largestTable();
const BenchTable &mainTable();
const BenchTable &oneEntryTable();
// A folder for the files the benchmarks write.
QString workFolder();

// The progress bar and busy flag of the editor, reduced to numbers.
struct ProgressState {
    bool busy = false;
    double maximum = 0;
    double value = 0;
};

// Hooks that do what the editor's do: note the maximum, add to the value and let the
// waiting events run once per call.
quillet::FileOperationHooks editorHooks(ProgressState &progress);

// The resident memory figures of this process from /proc/self/status, in KiB; -1 when the
// system does not report them.
struct MemoryUse {
    qint64 peakKiB = -1;     // VmHWM
    qint64 residentKiB = -1; // VmRSS
};
MemoryUse currentMemoryUse();

} // namespace quilletbench
