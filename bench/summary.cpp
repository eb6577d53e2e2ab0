#include "summary.h"

#include "table.h"

namespace bench {

namespace {

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

SummaryReporter::SummaryReporter(bool colored)
    : ConsoleReporter(colored ? OO_ColorTabular : OO_Tabular) {}

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration)
            continue;
        const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
        m_nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime() * 1e9 / perSecond;
    }
}

std::optional<double> SummaryReporter::nanosecondsPerOperation(const std::string& name) const {
    const auto found = m_nanoseconds.find(name);
    if (found == m_nanoseconds.end())
        return std::nullopt;
    return found->second;
}

void printSummary(std::ostream& out, const std::string& group, const SummaryReporter& results,
                  const std::vector<Comparison>& comparisons) {
    std::vector<TableRow> rows;
    for (const Comparison& comparison : comparisons)
        rows.push_back(rowFor(results, comparison));
    appendToReport(group, rows);
    rows.insert(rows.begin(), {"benchmark", "figure", "baseline", "ratio", "target", "result"});
    printTable(out, "Summary (real time per operation; ratio = figure / baseline)", rows);
}

} // namespace bench
