#include "table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace bench {

namespace {

constexpr std::size_t columnCount = std::tuple_size_v<TableRow>;

// Columns are padded by characters, not bytes: "≤", "×" and "—" take several bytes.
std::size_t displayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void printRow(std::ostream& out, const TableRow& row,
              const std::array<std::size_t, columnCount>& widths) {
    for (std::size_t i = 0; i < columnCount; ++i) {
        const std::string padding(widths[i] - displayWidth(row[i]), ' ');
        // The name reads best flush left, the numbers flush right.
        out << (i == 0 ? row[i] + padding : padding + row[i])
            << (i + 1 < columnCount ? "  " : "\n");
    }
}

} // namespace

std::string formatted(const char* format, double value) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return buffer.data();
}

void printTable(std::ostream& out, const std::string& heading, const std::vector<TableRow>& rows) {
    std::array<std::size_t, columnCount> widths{};
    for (const TableRow& row : rows)
        for (std::size_t i = 0; i < columnCount; ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    out << '\n' << heading << "\n\n";
    for (const TableRow& row : rows)
        printRow(out, row, widths);
}

std::string duration(double nanoseconds) {
    if (nanoseconds < 1e3)
        return formatted("%.1f ns", nanoseconds);
    if (nanoseconds < 1e6)
        return formatted("%.2f µs", nanoseconds / 1e3);
    if (nanoseconds < 1e9)
        return formatted("%.2f ms", nanoseconds / 1e6);
    return formatted("%.2f s", nanoseconds / 1e9);
}

// One row a line, cells apart by tabs; a group is a line of its own starting with "#".
void appendToReport(const std::string& group, const std::vector<TableRow>& rows) {
    const char* path = std::getenv("QUELMAR_BENCH_REPORT");
    if (path == nullptr || *path == '\0')
        return;
    std::ofstream report(path, std::ios::app);
    report << '#' << group << '\n';
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < columnCount; ++i)
            report << row[i] << (i + 1 < columnCount ? '\t' : '\n');
    }
    if (!report)
        std::cerr << "cannot write the benchmark report " << path << '\n';
}

std::vector<TableRow> readReport(const std::string& path) {
    std::vector<TableRow> rows;
    std::ifstream report(path);
    std::string line;
    while (std::getline(report, line)) {
        TableRow row{};
        if (line.starts_with('#')) {
            row[0] = line.substr(1);
            rows.push_back(row);
            continue;
        }
        std::istringstream cells(line);
        for (std::string& cell : row)
            std::getline(cells, cell, '\t');
        row[0] = "  " + row[0];
        rows.push_back(row);
    }
    return rows;
}

} // namespace bench
