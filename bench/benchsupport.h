#pragma once

// What the benchmarks share: the generated files, written once before any benchmark runs,
// and the load and save hooks as the editor sets them.
#include "fileoperationhooks.h"
#include "tablegen.h"

#include <QString>

#include <string>
#include <vector>

namespace quilletbench {

struct BenchTable {
    std::string label;
    Layout layout = Layout::Flat;
    int bits = 16;
    QString path;
    qint64 fileSize = 0;
    int tableCount = 0;
    qint64 entries = 0;
    int firstTableRows = 0;  // what the list shows once the file is open
    int largestOtherTable = -1; // the index of the largest table after MAIN, or -1
    qint64 savedSize = 0;    // the bytes a save of the loaded document writes
    bool writerOrder = false; // written by our writer rather than generated as the game ships
};

// Generates the files and writes them into a folder that lives as long as the program.
// Call once before the benchmarks run; false (with a reason) if it failed.
//   largest         flat, 32,766 entries, as the game ships its files (texts not in key order)
//   largest_writer  the same table as our writer writes it (texts in key order, none shared)
//   empty           flat, no entries
//   main            flat, like the game's main table
//   one             flat, one entry
//   hashed16        hashed, 127 tables, 17,000 entries, 16-bit texts
//   hashed8         the same with 8-bit texts
//   tabled          tabled, 79 tables, 4,750 entries
//   asian524        hashed, 524 tables, 59,000 entries, half of them in glyphs above 0xFF
bool prepareTables(QString &error);
const BenchTable &benchTable(const std::string &label);
const std::vector<BenchTable> &benchTables();
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
