#pragma once

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

// One line of a summary: what was measured, the figure, the baseline measured in the same run,
// their ratio, the target and whether it was met, each already written out.
using TableRow = std::array<std::string, 6>;

// Prints the heading, then the rows in aligned columns: the first flush left, the rest flush
// right. The first row is the column titles.
void printTable(std::ostream& out, const std::string& heading, const std::vector<TableRow>& rows);

// printf-style formatting of one number.
std::string formatted(const char* format, double value);

// A time in nanoseconds written with the unit that keeps it readable: "105.8 ns", "2.35 ms".
std::string duration(double nanoseconds);

// When the environment names a report file (QUELMAR_BENCH_REPORT), appends the rows to it
// under their group, so that "make bench" can print every program's figures as one table.
void appendToReport(const std::string& group, const std::vector<TableRow>& rows);

// The rows of a report file written by appendToReport, each group's name on a row of its own.
std::vector<TableRow> readReport(const std::string& path);

} // namespace bench
