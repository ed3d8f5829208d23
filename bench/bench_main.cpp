// quillet-bench: what loading, saving and sorting cost, each beside the least it could
// cost, with a summary of the ratios and the targets at the end of the run.
//
//   quillet-bench [Google Benchmark options]   the benchmarks, the summary, the memory probes
//       and the editor's start-up in processes of its own (these two only when no
//       --benchmark_filter is given, or it names "memory" or "startup")
//   quillet-bench --profile NAME [--times N]   one operation N times (default 10), for a
//       profiler: valgrind --tool=callgrind --toggle-collect='quilletbench::profiledRun*'
//   quillet-bench --write-tables FOLDER        writes the generated files there, to try by hand
//   quillet-bench --memory-probe FILE|- ROWS   the editor with FILE (or nothing) open, for the
//       memory probes, which start it as a child process
#include "benchcase.h"
#include "benchsupport.h"

#include <benchmark/benchmark.h>

#ifdef QUILLET_BENCH_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quilletbench {

Session::~Session() = default;

std::vector<BenchCase> &benchCases()
{
    static std::vector<BenchCase> cases;
    return cases;
}

// Kept out of line so that a profiler can count exactly the measured runs.
[[gnu::noinline]] bool profiledRun(Session &session, QString &error)
{
    return session.run(error);
}

} // namespace quilletbench

using namespace quilletbench;

namespace {

void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void runCase(benchmark::State &state, const BenchCase *benchCase)
{
    QString error;
    std::unique_ptr<Session> session = benchCase->start(error);
    if (!session) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    const bool untimed = session->hasUntimedSteps;
    const long faultsBefore = minorFaults();
    for (auto _ : state) {
        if (untimed) {
            state.PauseTiming();
            session->prepare();
            state.ResumeTiming();
        }
        if (!session->run(error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
        if (benchCase->timedBySession)
            state.SetIterationTime(session->measuredSeconds);
        if (untimed) {
            state.PauseTiming();
            session->tidy();
            state.ResumeTiming();
        }
    }
    // On this virtual machine a page taken for the first time costs some 20 microseconds,
    // so the pages each run touches afresh explain much of its time.
    state.counters["new_pages"] = double(minorFaults() - faultsBefore) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    if (const BenchTable *table = benchCase->table) {
        state.SetBytesProcessed(state.iterations() * table->fileSize);
        state.counters["entries"] = double(table->entries);
    }
}

// The console output as usual, and every run's wall-clock time kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    // Wall-clock time, and the CPU time of the thread that ran the operation: on a machine
    // shared with other work the wall-clock figures grow with the load, the CPU figures
    // much less.
    enum Clock { Wall, Cpu };

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) {
                m_errors[run.run_name.function_name] = run.error_message;
                continue;
            }
            const double multiplier = benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::array<double, 2> seconds{run.GetAdjustedRealTime() / multiplier,
                                                run.GetAdjustedCPUTime() / multiplier};
            // With --benchmark_report_aggregates_only only the aggregates come here.
            for (const Clock clock : {Wall, Cpu}) {
                if (run.run_type == Run::RT_Iteration)
                    m_seconds[clock][run.run_name.function_name].push_back(seconds[clock]);
                else if (run.aggregate_name == "median")
                    m_medians[clock][run.run_name.function_name] = seconds[clock];
            }
        }
    }

    // The median over the repetitions, in milliseconds.
    std::optional<double> milliseconds(const std::string &name, Clock clock = Wall) const
    {
        const auto found = m_seconds[clock].find(name);
        if (found == m_seconds[clock].end() || found->second.empty()) {
            const auto median = m_medians[clock].find(name);
            if (median == m_medians[clock].end())
                return std::nullopt;
            return median->second * 1000.0;
        }
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
        return median * 1000.0;
    }

    std::optional<std::string> error(const std::string &name) const
    {
        const auto found = m_errors.find(name);
        if (found == m_errors.end())
            return std::nullopt;
        return found->second;
    }

private:
    std::array<std::map<std::string, std::vector<double>>, 2> m_seconds;
    std::array<std::map<std::string, double>, 2> m_medians;
    std::map<std::string, std::string> m_errors;
};

QString cpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QList<QByteArray> lines = cpuinfo.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown CPU");
}

// The system's load over the last minute, five and fifteen: what the figures were taken under.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

QString formatMs(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
}

QString summaryLine(const QString &name, const QString &time, const QString &floor, const QString &ratio,
                    const QString &cpuRatio, const QString &target, const QString &result)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6  %7")
        .arg(name, -30)
        .arg(time, 20)
        .arg(floor, 20)
        .arg(ratio, 7)
        .arg(cpuRatio, 7)
        .arg(target, 9)
        .arg(result);
}

void printSummary(const SummaryReporter &reporter)
{
    using Clock = SummaryReporter::Clock;
    printLine(QString());
    printLine(QStringLiteral("Summary: median time per operation, wall-clock / CPU; %1 core(s), %2; load average %3")
                  .arg(QThread::idealThreadCount())
                  .arg(cpuModel(), loadAverage()));
    printLine(summaryLine(QStringLiteral("operation"), QStringLiteral("time"), QStringLiteral("floor"),
                          QStringLiteral("ratio"), QStringLiteral("cpu"), QStringLiteral("target"),
                          QStringLiteral("result")));
    using Target = BenchCase::Target;
    auto both = [](double wall, double cpu) { return QStringLiteral("%1 / %2").arg(formatMs(wall), formatMs(cpu)); };
    for (const BenchCase &benchCase : benchCases()) {
        if (benchCase.target == Target::None && benchCase.name.find("floor") != std::string::npos)
            continue; // shown beside the operation it is the floor of
        const QString name = QString::fromStdString(benchCase.name);
        const auto time = reporter.milliseconds(benchCase.name);
        const auto cpu = reporter.milliseconds(benchCase.name, Clock::Cpu);
        if (!time || !cpu) {
            const auto error = reporter.error(benchCase.name);
            if (error)
                printLine(summaryLine(name, QStringLiteral("failed: %1").arg(QString::fromStdString(*error)), {}, {}, {}, {}, {}));
            continue; // filtered out
        }
        QString floorText, ratioText, cpuRatioText, targetText, verdict;
        if (!benchCase.floor.empty()) {
            const auto floor = reporter.milliseconds(benchCase.floor);
            const auto floorCpu = reporter.milliseconds(benchCase.floor, Clock::Cpu);
            if (floor && floorCpu && *floor > 0 && *floorCpu > 0) {
                const double ratio = *time / *floor;
                floorText = both(*floor, *floorCpu);
                ratioText = QStringLiteral("%1x").arg(ratio, 0, 'f', 2);
                cpuRatioText = QStringLiteral("%1x").arg(*cpu / *floorCpu, 0, 'f', 2);
                if (benchCase.target == Target::RatioToFloor)
                    verdict = ratio <= benchCase.limit ? QStringLiteral("met") : QStringLiteral("MISSED");
            } else if (benchCase.target == Target::RatioToFloor) {
                verdict = QStringLiteral("floor not run");
            }
        }
        if (benchCase.target == Target::RatioToFloor) {
            targetText = QStringLiteral("<= %1x").arg(benchCase.limit);
        } else if (benchCase.target == Target::Milliseconds) {
            targetText = QStringLiteral("<= %1 ms").arg(benchCase.limit);
            verdict = *time <= benchCase.limit ? QStringLiteral("met") : QStringLiteral("MISSED");
        }
        printLine(summaryLine(name, both(*time, *cpu), floorText, ratioText, cpuRatioText, targetText, verdict));
    }
    printLine(QStringLiteral("Files:"));
    for (const BenchTable &table : benchTables()) {
        printLine(QStringLiteral("  %1 %2, %3 tables, %4 entries, %5 bytes (a save writes %6)")
                      .arg(QString::fromStdString(table.label), -15)
                      .arg(QLatin1String(layoutId(table.layout)) + (table.layout == Layout::Hashed ? QString::number(table.bits) : QString()))
                      .arg(table.tableCount)
                      .arg(table.entries)
                      .arg(table.fileSize)
                      .arg(table.savedSize));
    }
}

#ifdef QUILLET_BENCH_WINDOW
double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Memory and the cold open, each the median of three fresh editor processes. Beside the
// empty editor the editor with a one-entry table is a second baseline: it has paid what
// showing any table costs once (the numbering, fonts, glyphs), so the difference to it is
// what grows with the file.
void printMemorySummary()
{
    constexpr int Probes = 3;
    struct Probe {
        QString label;
        const BenchTable *table;
        std::vector<double> peak, resident, openMs;
    };
    std::vector<Probe> probes{{QStringLiteral("empty"), nullptr, {}, {}, {}},
                              {QStringLiteral("one entry"), &benchTable("one"), {}, {}, {}},
                              {QStringLiteral("largest"), &benchTable("largest"), {}, {}, {}},
                              {QStringLiteral("hashed16"), &benchTable("hashed16"), {}, {}, {}},
                              {QStringLiteral("asian524"), &benchTable("asian524"), {}, {}, {}}};
    for (int i = 0; i < Probes; ++i) {
        for (Probe &probe : probes) {
            QString error;
            const auto result = probe.table ? probeMemory(probe.table->path, probe.table->firstTableRows, error)
                                            : probeMemory(QString(), 0, error);
            if (!result) {
                printLine(QStringLiteral("memory: %1").arg(error));
                return;
            }
            probe.peak.push_back(double(result->memory.peakKiB));
            probe.resident.push_back(double(result->memory.residentKiB));
            probe.openMs.push_back(result->openMs);
        }
    }
    auto mib = [](double kib) { return QStringLiteral("%1 MiB").arg(kib / 1024.0, 0, 'f', 1); };
    printLine(QString());
    printLine(QStringLiteral("Memory of the editor in a fresh process, median of %1").arg(Probes));
    printLine(QStringLiteral("%1 %2 %3  %4  %5")
                  .arg(QStringLiteral("open"), -10)
                  .arg(QStringLiteral("peak"), 9)
                  .arg(QStringLiteral("resident"), 9)
                  .arg(QStringLiteral("above empty (peak, resident)"), -42)
                  .arg(QStringLiteral("above one entry (resident)")));
    const double emptyPeak = median(probes[0].peak);
    const double emptyResident = median(probes[0].resident);
    const double oneResident = median(probes[1].resident);
    for (const Probe &probe : probes) {
        const double peak = median(probe.peak);
        const double resident = median(probe.resident);
        QString above, aboveOne;
        if (probe.table && probe.table->label != "one") {
            const double fileKiB = double(probe.table->fileSize) / 1024.0;
            const double worst = std::max(peak - emptyPeak, resident - emptyResident);
            above = QStringLiteral("%1, %2 = %3x the file")
                        .arg(mib(peak - emptyPeak), mib(resident - emptyResident))
                        .arg(worst / fileKiB, 0, 'f', 2);
            // The target was set for the largest flat table.
            if (probe.table->label == "largest")
                above += worst <= 2.5 * fileKiB ? QStringLiteral(", <= 2.5x met") : QStringLiteral(", <= 2.5x MISSED");
            aboveOne = QStringLiteral("%1 = %2x the file").arg(mib(resident - oneResident)).arg((resident - oneResident) / fileKiB, 0, 'f', 2);
        }
        printLine(QStringLiteral("%1 %2 %3  %4  %5").arg(probe.label, -10).arg(mib(peak), 9).arg(mib(resident), 9).arg(above, -42).arg(aboveOne));
    }
    for (const Probe &probe : probes) {
        if (!probe.table || probe.table->label == "one")
            continue;
        const double cold = median(probe.openMs);
        printLine(QStringLiteral("window_open/%1, first open in a fresh editor: %2; target <= 100 ms  %3")
                      .arg(probe.label)
                      .arg(formatMs(cold))
                      .arg(cold <= 100.0 ? QStringLiteral("met") : QStringLiteral("MISSED")));
    }
}

// The whole editor started with a file, as a user starts it, until its list has painted:
// the largest flat table as our writer lays it out and as the game ships its files, whose
// texts are not in key order, must start within 1.2x of each other; and the file of 524
// tables of an Asian release's shape within 1.3x of the editor started without a file.
void printStartupSummary()
{
    constexpr int Starts = 5;
    struct Start {
        QString label;
        const BenchTable *table;
        std::vector<double> ms;
    };
    std::vector<Start> starts{{QStringLiteral("no file"), nullptr, {}},
                              {QStringLiteral("largest_writer"), &benchTable("largest_writer"), {}},
                              {QStringLiteral("largest"), &benchTable("largest"), {}},
                              {QStringLiteral("hashed16"), &benchTable("hashed16"), {}},
                              {QStringLiteral("asian524"), &benchTable("asian524"), {}}};
    // Once untimed, so that every file and library is in the page cache for all of them.
    for (int i = -1; i < Starts; ++i) {
        for (Start &start : starts) {
            QString error;
            const auto ms = start.table ? timeEditorStart(start.table->path, start.table->firstTableRows, error)
                                        : timeEditorStart(QString(), 0, error);
            if (!ms) {
                printLine(QStringLiteral("startup: %1").arg(error));
                return;
            }
            if (i >= 0)
                start.ms.push_back(*ms);
        }
    }
    printLine(QString());
    printLine(QStringLiteral("Start-up of the whole editor (quillet FILE, offscreen) until the list has painted, median of %1; "
                             "load average %2")
                  .arg(Starts)
                  .arg(loadAverage()));
    for (const Start &start : starts) {
        printLine(QStringLiteral("startup/%1 %2  (runs %3)")
                      .arg(start.label, -16)
                      .arg(formatMs(median(start.ms)), 10)
                      .arg([&] {
                          QStringList runs;
                          for (double ms : start.ms)
                              runs << QString::number(ms, 'f', 1);
                          return runs.join(QLatin1Char(' '));
                      }()));
    }
    const double ratio = median(starts[2].ms) / median(starts[1].ms);
    printLine(QStringLiteral("largest (texts not in key order) / largest_writer: %1x; target <= 1.2x  %2")
                  .arg(ratio, 0, 'f', 2)
                  .arg(ratio <= 1.2 ? QStringLiteral("met") : QStringLiteral("MISSED")));
    const double asian = median(starts[4].ms) / median(starts[0].ms);
    printLine(QStringLiteral("asian524 (524 tables, 59,000 entries) / no file: %1x; target <= 1.3x  %2")
                  .arg(asian, 0, 'f', 2)
                  .arg(asian <= 1.3 ? QStringLiteral("met") : QStringLiteral("MISSED")));
}
#endif

int profile(const std::string &name, int times)
{
    const auto found = std::find_if(benchCases().begin(), benchCases().end(),
                                    [&](const BenchCase &c) { return c.name == name; });
    if (found == benchCases().end()) {
        std::fprintf(stderr, "quillet-bench: no operation named %s; there are:\n", name.c_str());
        for (const BenchCase &c : benchCases())
            std::fprintf(stderr, "  %s\n", c.name.c_str());
        return 2;
    }
    QString error;
    std::unique_ptr<Session> session = found->start(error);
    double total = 0;
    for (int i = 0; session && i < times; ++i) {
        session->prepare();
        QElapsedTimer timer;
        timer.start();
        if (!profiledRun(*session, error)) {
            session.reset();
            break;
        }
        total += found->timedBySession ? session->measuredSeconds * 1e3 : double(timer.nsecsElapsed()) / 1e6;
        if (session)
            session->tidy();
    }
    if (!session) {
        std::fprintf(stderr, "quillet-bench: %s: %s\n", name.c_str(), error.toUtf8().constData());
        return 1;
    }
    printLine(QStringLiteral("%1: %2 runs, mean %3").arg(QString::fromStdString(name)).arg(times).arg(formatMs(total / times)));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Headless unless told otherwise: the window benchmarks need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    std::string profiled;
    int times = 10;
    std::optional<QString> memoryProbe;
    int memoryProbeRows = 0;
    QString tablesFolder;
    bool memoryWanted = true;
    bool startupWanted = true;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && std::strcmp(argv[i], "--profile") == 0)
            profiled = argv[i + 1];
        else if (hasValue && std::strcmp(argv[i], "--times") == 0)
            times = std::max(1, std::atoi(argv[i + 1]));
        else if (hasValue && std::strcmp(argv[i], "--memory-probe") == 0) {
            memoryProbe = std::strcmp(argv[i + 1], "-") == 0 ? QString() : QString::fromLocal8Bit(argv[i + 1]);
            memoryProbeRows = i + 2 < argc ? std::atoi(argv[i + 2]) : 0;
        }
        else if (hasValue && std::strcmp(argv[i], "--write-tables") == 0)
            tablesFolder = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strncmp(argv[i], "--benchmark_filter=", 19) == 0) {
            memoryWanted = std::strstr(argv[i] + 19, "memory") != nullptr;
            startupWanted = std::strstr(argv[i] + 19, "startup") != nullptr;
        }
    }

    benchmark::Initialize(&argc, argv);
#ifdef QUILLET_BENCH_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
#ifdef QUILLET_BENCH_WINDOW
    if (memoryProbe)
        return runMemoryProbe(*memoryProbe, memoryProbeRows);
#endif
    QString error;
    if (!prepareTables(error)) {
        std::fprintf(stderr, "quillet-bench: %s\n", error.toUtf8().constData());
        return 1;
    }
    if (!tablesFolder.isEmpty()) {
        for (const BenchTable &table : benchTables()) {
            const QString target = QDir(tablesFolder).filePath(QFileInfo(table.path).fileName());
            QFile::remove(target);
            if (!QFile::copy(table.path, target)) {
                std::fprintf(stderr, "quillet-bench: cannot write %s\n", qPrintable(target));
                return 1;
            }
            printLine(target);
        }
        return 0;
    }
    registerCoreCases();
#ifdef QUILLET_BENCH_WINDOW
    registerWindowCases();
#endif
    if (!profiled.empty())
        return profile(profiled, times);

    for (const BenchCase &benchCase : benchCases()) {
        benchmark::internal::Benchmark *registered =
            benchmark::RegisterBenchmark(benchCase.name.c_str(), runCase, &benchCase)->Unit(benchmark::kMillisecond);
        if (benchCase.timedBySession)
            registered->UseManualTime();
        else
            registered->UseRealTime();
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
#ifdef QUILLET_BENCH_WINDOW
    if (memoryWanted && profiled.empty())
        printMemorySummary();
    if (startupWanted && profiled.empty())
        printStartupSummary();
#else
    Q_UNUSED(memoryWanted);
    Q_UNUSED(startupWanted);
#endif
    benchmark::Shutdown();
    return 0;
}
