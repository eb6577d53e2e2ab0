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

} // namespace bench
