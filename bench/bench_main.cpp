// quillet-bench: what loading, saving and sorting cost, each beside the least it could
// cost, with a summary of the ratios and the targets at the end of the run.
#include "benchsupport.h"

#include <benchmark/benchmark.h>

#ifdef QUILLET_BENCH_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quilletbench {
void registerCoreBenchmarks();
} // namespace quilletbench

using namespace quilletbench;

namespace {

// The console output as usual, and every run's wall-clock time kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            if (run.error_occurred) {
                m_errors[run.run_name.function_name] = run.error_message;
                continue;
            }
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            m_seconds[run.run_name.function_name].push_back(seconds);
        }
    }

    // The median over the repetitions, in milliseconds.
    std::optional<double> milliseconds(const std::string &name) const
    {
        const auto found = m_seconds.find(name);
        if (found == m_seconds.end() || found->second.empty())
            return std::nullopt;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
        return median * 1000.0;
    }

    const std::map<std::string, std::string> &errors() const { return m_errors; }
    int repetitions(const std::string &name) const
    {
        const auto found = m_seconds.find(name);
        return found == m_seconds.end() ? 0 : int(found->second.size());
    }

private:
    std::map<std::string, std::vector<double>> m_seconds;
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

void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

QString formatMs(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
}

void printSummary(const SummaryReporter &reporter)
{
    printLine(QString());
    printLine(QStringLiteral("Summary: median wall-clock time of each operation; %1 core(s), %2")
                  .arg(QThread::idealThreadCount())
                  .arg(cpuModel()));
    printLine(QStringLiteral("%1 %2 %3 %4 %5 %6")
                  .arg(QStringLiteral("operation"), -22)
                  .arg(QStringLiteral("time"), 11)
                  .arg(QStringLiteral("floor"), 11)
                  .arg(QStringLiteral("ratio"), 7)
                  .arg(QStringLiteral("target"), 10)
                  .arg(QStringLiteral("result")));

    struct Row {
        std::string name;
        std::string floor;       // empty: an absolute target
        double target;           // a ratio, or milliseconds
    };
    const std::vector<Row> rows = {
        {"load/largest", "load_floor/largest", 3.0},
        {"save/largest", "save_floor/largest", 3.0},
        {"load/main", "load_floor/main", 3.0},
        {"save/main", "save_floor/main", 3.0},
        {"sort_by_value/largest", "", 25.0},
        {"sort_by_name/largest", "", 25.0},
    };
    for (const Row &row : rows) {
        const auto time = reporter.milliseconds(row.name);
        if (!time) {
            const auto error = reporter.errors().find(row.name);
            printLine(QStringLiteral("%1 %2")
                          .arg(QString::fromStdString(row.name), -22)
                          .arg(error == reporter.errors().end() ? QStringLiteral("not run")
                                                                : QStringLiteral("failed: %1").arg(QString::fromStdString(error->second))));
            continue;
        }
        QString floorText, ratioText, targetText, verdict;
        if (!row.floor.empty()) {
            const auto floor = reporter.milliseconds(row.floor);
            targetText = QStringLiteral("<= %1x").arg(row.target);
            if (floor && *floor > 0) {
                const double ratio = *time / *floor;
                floorText = formatMs(*floor);
                ratioText = QStringLiteral("%1x").arg(ratio, 0, 'f', 2);
                verdict = ratio <= row.target ? QStringLiteral("met") : QStringLiteral("MISSED");
            } else {
                floorText = QStringLiteral("-");
                verdict = QStringLiteral("no floor");
            }
        } else {
            targetText = QStringLiteral("<= %1 ms").arg(row.target);
            verdict = *time <= row.target ? QStringLiteral("met") : QStringLiteral("MISSED");
        }
        printLine(QStringLiteral("%1 %2 %3 %4 %5 %6")
                      .arg(QString::fromStdString(row.name), -22)
                      .arg(formatMs(*time), 11)
                      .arg(floorText, 11)
                      .arg(ratioText, 7)
                      .arg(targetText, 10)
                      .arg(verdict));
    }
    printLine(QStringLiteral("Files: largest %1 entries, %2 bytes; main %3 entries, %4 bytes")
                  .arg(largestTable().rows.size())
                  .arg(largestTable().fileSize)
                  .arg(mainTable().rows.size())
                  .arg(mainTable().fileSize));
}

} // namespace

int main(int argc, char **argv)
{
    // Headless unless told otherwise: the window benchmarks need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    benchmark::Initialize(&argc, argv);
#ifdef QUILLET_BENCH_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QString error;
    if (!prepareTables(error)) {
        std::fprintf(stderr, "quillet-bench: %s\n", error.toUtf8().constData());
        return 1;
    }
    registerCoreBenchmarks();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
