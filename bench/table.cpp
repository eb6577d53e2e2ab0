#include "table.h"

#include <algorithm>
#include <cstdio>

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

} // namespace bench
