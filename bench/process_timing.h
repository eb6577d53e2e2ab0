#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bench {

double median(std::vector<double> values);

// Runs a program to its end, its output thrown away, and returns how long that took in
// milliseconds; ends the benchmark when it cannot start, dies by a signal or exits with another
// status than `expectedStatus` (any, when none is given). The program's path comes first in
// `arguments`.
double timeProcess(const std::vector<std::string>& arguments,
                   std::optional<int> expectedStatus = 0);

// The most memory the program held resident at once (its peak RSS), in KiB, as GNU time reports
// it. A child started straight from this process would count this process's memory too: the
// kernel keeps a peak across exec, and posix_spawn shares the parent's memory until exec.
long peakMemoryKiB(const std::vector<std::string>& arguments);

} // namespace bench
