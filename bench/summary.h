#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bench {

// One line of the summary: a figure beside the baseline measured in the same run.
struct Comparison {
    std::string label;
    std::string figure;
    std::string baseline;
    std::optional<double> targetRatio; // none: reported, not judged
};

// Hands the command line to Google Benchmark; false, once it has named it, when an argument is
// not one of its own.
bool takeArguments(int& argc, char** argv);

// Runs the registered benchmarks, each printed as the console reporter does, then prints the
// comparisons as a table, adds them to the combined report under `group` and shuts Google
// Benchmark down.
void runAndSummarise(const std::string& group, const std::vector<Comparison>& comparisons);

} // namespace bench
