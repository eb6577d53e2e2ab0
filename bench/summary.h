#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

// Prints each run as the console reporter does, and keeps its time per operation for the
// summary printed after all runs.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(bool colored);

    void ReportRuns(const std::vector<Run>& runs) override;

    std::optional<double> nanosecondsPerOperation(const std::string& name) const;

private:
    std::map<std::string, double> m_nanoseconds;
};

// One line of the summary: a figure beside the baseline measured in the same run.
struct Comparison {
    std::string label;
    std::string figure;
    std::string baseline;
    std::optional<double> targetRatio; // none: reported, not judged
};

// Prints the comparisons as a table, and adds them to the combined report under `group`.
void printSummary(std::ostream& out, const std::string& group, const SummaryReporter& results,
                  const std::vector<Comparison>& comparisons);

} // namespace bench
