#pragma once

// One measured operation, written once and run two ways: under Google Benchmark for the
// figures, and on its own (--profile) so that a profiler sees nothing else.
#include "benchsupport.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quilletbench {

struct BenchTable;

// The state one operation runs in: set up once, then run again and again.
class Session
{
public:
    virtual ~Session();
    // Untimed work before and after each run, such as undoing what the run did.
    virtual void prepare() {}
    virtual void tidy() {}
    // The measured operation; false, with a reason, when it failed.
    virtual bool run(QString &error) = 0;

    // Set by sessions that override prepare() or tidy(): stopping the clock around them
    // costs a little, so only they pay it.
    bool hasUntimedSteps = false;
    // Set by run() in sessions that time only part of it themselves (in seconds); the
    // rest of the run, such as making a dialog, is then not counted.
    double measuredSeconds = -1;
};

struct BenchCase {
    enum class Target { None, RatioToFloor, Milliseconds };

    std::string name;  // "load/largest"
    std::string floor; // the floor's name, for Target::RatioToFloor
    Target target = Target::None;
    double limit = 0;  // the ratio or the milliseconds of the target
    const BenchTable *table = nullptr; // for the bytes per second
    std::function<std::unique_ptr<Session>(QString &error)> start;
    bool timedBySession = false; // the session reports its time in measuredSeconds
};

std::vector<BenchCase> &benchCases();

void registerCoreCases();
#ifdef QUILLET_BENCH_WINDOW
void registerWindowCases();

// The editor in a process of its own: started with an empty table and, unless `path` is
// empty, made to open `path` through File, Open until the list shows its `rows` rows.
// Prints one line.
int runMemoryProbe(const QString &path, int rows);
struct ProbeResult {
    MemoryUse memory;
    double openMs = 0; // the open in that fresh process, cold
};
// Runs runMemoryProbe in a child process and reads its line.
std::optional<ProbeResult> probeMemory(const QString &path, int rows, QString &error);

// The whole editor, `quillet FILE` (or `quillet` alone when `path` is empty), started as a
// user starts it, on the offscreen screen: the milliseconds from the start of the process
// until its list has painted the file's first table of `rows` rows.
std::optional<double> timeEditorStart(const QString &path, int rows, QString &error);
#endif

} // namespace quilletbench
