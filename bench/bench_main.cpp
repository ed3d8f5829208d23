// quillet-bench: what loading, saving and sorting cost, each beside the least it could
// cost, with a summary of the ratios and the targets at the end of the run.
//
//   quillet-bench [Google Benchmark options]   the benchmarks, the summary and the memory
//       probes (these only when no --benchmark_filter is given, or it names "memory")
//   quillet-bench --profile NAME [--times N]   one operation N times (default 10), for a
//       profiler: valgrind --tool=callgrind --toggle-collect='quilletbench::profiledRun*'
//   quillet-bench --write-tables FOLDER        writes the generated tables there, to try by hand
//   quillet-bench --memory-probe FILE|-        the editor with FILE (or nothing) open, for the
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
        state.counters["entries"] = double(table->rows.size());
    }
}

// The console output as usual, and every run's wall-clock time kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) {
                m_errors[run.run_name.function_name] = run.error_message;
                continue;
            }
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            // With --benchmark_report_aggregates_only only the aggregates come here.
            if (run.run_type == Run::RT_Iteration)
                m_seconds[run.run_name.function_name].push_back(seconds);
            else if (run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = seconds;
        }
    }

    // The median over the repetitions, in milliseconds.
    std::optional<double> milliseconds(const std::string &name) const
    {
        const auto found = m_seconds.find(name);
        if (found == m_seconds.end() || found->second.empty()) {
            const auto median = m_medians.find(name);
            if (median == m_medians.end())
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
    std::map<std::string, std::vector<double>> m_seconds;
    std::map<std::string, double> m_medians;
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

QString formatMs(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
}

QString summaryLine(const QString &name, const QString &time, const QString &floor, const QString &ratio,
                    const QString &target, const QString &result)
{
    return QStringLiteral("%1 %2 %3 %4 %5  %6")
        .arg(name, -28)
        .arg(time, 10)
        .arg(floor, 10)
        .arg(ratio, 7)
        .arg(target, 9)
        .arg(result);
}

void printSummary(const SummaryReporter &reporter)
{
    printLine(QString());
    printLine(QStringLiteral("Summary: median wall-clock time per operation; %1 core(s), %2")
                  .arg(QThread::idealThreadCount())
                  .arg(cpuModel()));
    printLine(summaryLine(QStringLiteral("operation"), QStringLiteral("time"), QStringLiteral("floor"),
                          QStringLiteral("ratio"), QStringLiteral("target"), QStringLiteral("result")));
    using Target = BenchCase::Target;
    for (const BenchCase &benchCase : benchCases()) {
        if (benchCase.target == Target::None && benchCase.name.find("floor") != std::string::npos)
            continue; // shown beside the operation it is the floor of
        const QString name = QString::fromStdString(benchCase.name);
        const auto time = reporter.milliseconds(benchCase.name);
        if (!time) {
            const auto error = reporter.error(benchCase.name);
            if (error)
                printLine(summaryLine(name, QStringLiteral("failed: %1").arg(QString::fromStdString(*error)), {}, {}, {}, {}));
            continue; // filtered out
        }
        QString floorText, ratioText, targetText, verdict;
        if (benchCase.target == Target::RatioToFloor) {
            targetText = QStringLiteral("<= %1x").arg(benchCase.limit);
            const auto floor = reporter.milliseconds(benchCase.floor);
            if (floor && *floor > 0) {
                const double ratio = *time / *floor;
                floorText = formatMs(*floor);
                ratioText = QStringLiteral("%1x").arg(ratio, 0, 'f', 2);
                verdict = ratio <= benchCase.limit ? QStringLiteral("met") : QStringLiteral("MISSED");
            } else {
                verdict = QStringLiteral("floor not run");
            }
        } else if (benchCase.target == Target::Milliseconds) {
            targetText = QStringLiteral("<= %1 ms").arg(benchCase.limit);
            verdict = *time <= benchCase.limit ? QStringLiteral("met") : QStringLiteral("MISSED");
        }
        printLine(summaryLine(name, formatMs(*time), floorText, ratioText, targetText, verdict));
    }
    printLine(QStringLiteral("Tables: largest %1 entries, %2 bytes; main %3 entries, %4 bytes")
                  .arg(largestTable().rows.size())
                  .arg(largestTable().fileSize)
                  .arg(mainTable().rows.size())
                  .arg(mainTable().fileSize));
}

#ifdef QUILLET_BENCH_WINDOW
// Memory and the cold open, each the median of three fresh editor processes. Beside the
// empty editor the editor with a one-entry table is a second baseline: it has paid what
// showing any table costs once (the code page, fonts, glyphs), so the difference to it is
// what grows with the table.
void printMemorySummary()
{
    constexpr int Probes = 3;
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    struct Samples {
        std::vector<double> peak, resident, openMs;
    };
    const QStringList paths{QString(), oneEntryTable().path, largestTable().path};
    std::vector<Samples> samples(size_t(paths.size()));
    for (int i = 0; i < Probes; ++i) {
        for (qsizetype p = 0; p < paths.size(); ++p) {
            QString error;
            const auto probe = probeMemory(paths[p], error);
            if (!probe) {
                printLine(QStringLiteral("memory: %1").arg(error));
                return;
            }
            samples[size_t(p)].peak.push_back(double(probe->memory.peakKiB));
            samples[size_t(p)].resident.push_back(double(probe->memory.residentKiB));
            samples[size_t(p)].openMs.push_back(probe->openMs);
        }
    }
    const double fileKiB = double(largestTable().fileSize) / 1024.0;
    auto mib = [](double kib) { return QStringLiteral("%1 MiB").arg(kib / 1024.0, 0, 'f', 1); };
    printLine(QString());
    printLine(QStringLiteral("Memory of the editor in a fresh process, median of %1; the largest table's file is %2")
                  .arg(Probes)
                  .arg(mib(fileKiB)));
    printLine(QStringLiteral("%1 %2 %3 %4  %5  %6")
                  .arg(QString(), -17)
                  .arg(QStringLiteral("empty"), 9)
                  .arg(QStringLiteral("one entry"), 9)
                  .arg(QStringLiteral("largest"), 9)
                  .arg(QStringLiteral("largest above empty"), -30)
                  .arg(QStringLiteral("above one entry")));
    for (const bool peak : {true, false}) {
        auto value = [&](size_t p) { return median(peak ? samples[p].peak : samples[p].resident); };
        const double aboveEmpty = value(2) - value(0);
        const double aboveOne = value(2) - value(1);
        printLine(QStringLiteral("%1 %2 %3 %4  %5  %6")
                      .arg(peak ? QStringLiteral("peak (VmHWM)") : QStringLiteral("resident (VmRSS)"), -17)
                      .arg(mib(value(0)), 9)
                      .arg(mib(value(1)), 9)
                      .arg(mib(value(2)), 9)
                      .arg(QStringLiteral("%1 = %2x file, <= 3x %3")
                               .arg(mib(aboveEmpty))
                               .arg(aboveEmpty / fileKiB, 0, 'f', 2)
                               .arg(aboveEmpty <= 3 * fileKiB ? QStringLiteral("met") : QStringLiteral("MISSED")),
                           -30)
                      .arg(QStringLiteral("%1 = %2x file").arg(mib(aboveOne)).arg(aboveOne / fileKiB, 0, 'f', 2)));
    }
    const double cold = median(samples[2].openMs);
    printLine(QStringLiteral("window_open/largest, first open in a fresh editor: %1; target <= 100 ms  %2")
                  .arg(formatMs(cold))
                  .arg(cold <= 100.0 ? QStringLiteral("met") : QStringLiteral("MISSED")));
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
    QString tablesFolder;
    bool memoryWanted = true;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && std::strcmp(argv[i], "--profile") == 0)
            profiled = argv[i + 1];
        else if (hasValue && std::strcmp(argv[i], "--times") == 0)
            times = std::max(1, std::atoi(argv[i + 1]));
        else if (hasValue && std::strcmp(argv[i], "--memory-probe") == 0)
            memoryProbe = std::strcmp(argv[i + 1], "-") == 0 ? QString() : QString::fromLocal8Bit(argv[i + 1]);
        else if (hasValue && std::strcmp(argv[i], "--write-tables") == 0)
            tablesFolder = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strncmp(argv[i], "--benchmark_filter=", 19) == 0)
            memoryWanted = std::strstr(argv[i] + 19, "memory") != nullptr;
    }

    benchmark::Initialize(&argc, argv);
#ifdef QUILLET_BENCH_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
#ifdef QUILLET_BENCH_WINDOW
    if (memoryProbe)
        return runMemoryProbe(*memoryProbe);
#endif
    QString error;
    if (!prepareTables(error)) {
        std::fprintf(stderr, "quillet-bench: %s\n", error.toUtf8().constData());
        return 1;
    }
    if (!tablesFolder.isEmpty()) {
        for (const BenchTable *table : {&largestTable(), &mainTable()}) {
            const QString target = QDir(tablesFolder).filePath(QFileInfo(table->path).fileName());
            QFile::remove(target);
            if (!QFile::copy(table->path, target)) {
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
#else
    Q_UNUSED(memoryWanted);
#endif
    benchmark::Shutdown();
    return 0;
}
