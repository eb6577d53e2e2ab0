// Prints the figures every benchmark program of "make bench" added to one report file, as one
// table, so the whole performance picture reads in one place.
//
//   quelmar-bench-report REPORT

#include "table.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quelmar-bench-report REPORT\n";
        return EXIT_FAILURE;
    }
    std::vector<bench::TableRow> rows = bench::readReport(argv[1]);
    if (rows.empty()) {
        std::cerr << "quelmar-bench-report: no figures in " << argv[1] << '\n';
        return EXIT_FAILURE;
    }
    rows.insert(rows.begin(), {"benchmark", "figure", "baseline", "ratio", "target", "result"});
    bench::printTable(std::cout,
                      "Performance report (every figure beside its baseline measured in the same "
                      "run; ratio = figure / baseline)",
                      rows);
    return EXIT_SUCCESS;
}
