#include "summary.h"

#include "table.h"

#include <benchmark/benchmark.h>
#include <iostream>
#include <map>
#include <unistd.h>

namespace bench {

namespace {

// Prints each run as the console reporter does, and keeps its time per operation for the
// summary printed after all runs.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(bool colored)
        : ConsoleReporter(colored ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
            m_nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime() * 1e9 / perSecond;
        }
    }

    std::optional<double> nanosecondsPerOperation(const std::string& name) const {
        const auto found = m_nanoseconds.find(name);
        if (found == m_nanoseconds.end())
            return std::nullopt;
        return found->second;
    }

private:
    std::map<std::string, double> m_nanoseconds;
};

std::string timeText(std::optional<double> nanoseconds) {
    return nanoseconds ? duration(*nanoseconds) : "not run";
}

TableRow rowFor(const SummaryReporter& results, const Comparison& comparison) {
    const auto figure = results.nanosecondsPerOperation(comparison.figure);
    const auto baseline = results.nanosecondsPerOperation(comparison.baseline);
    std::string ratioText = "—";
    std::string verdict = "—";
    std::string target = "—";
    if (comparison.targetRatio)
        target = "≤ " + formatted("%g", *comparison.targetRatio) + "×";
    if (figure && baseline && *baseline > 0.0) {
        const double ratio = *figure / *baseline;
        ratioText = formatted("%.2f", ratio);
        if (comparison.targetRatio)
            verdict = ratio <= *comparison.targetRatio ? "met" : "missed";
    }
    return {comparison.label, timeText(figure), timeText(baseline), ratioText, target, verdict};
}

} // namespace

bool takeArguments(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}

void runAndSummarise(const std::string& group, const std::vector<Comparison>& comparisons) {
    SummaryReporter results(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&results);
    std::vector<TableRow> rows;
    for (const Comparison& comparison : comparisons)
        rows.push_back(rowFor(results, comparison));
    appendToReport(group, rows);
    rows.insert(rows.begin(), {"benchmark", "figure", "baseline", "ratio", "target", "result"});
    printTable(std::cout, "Summary (real time per operation; ratio = figure / baseline)", rows);
    benchmark::Shutdown();
}

} // namespace bench
