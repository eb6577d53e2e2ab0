#include "summary.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace bench {

namespace {

constexpr std::size_t columnCount = 6;
using Row = std::array<std::string, columnCount>;

std::string formatted(const char* format, double value) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return buffer.data();
}

// Large figures in groups of three digits, so milliseconds and microseconds read at a glance.
std::string grouped(std::string digits) {
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return digits;
}

std::string nanoseconds(std::optional<double> value) {
    if (!value)
        return "not run";
    if (*value < 1000.0)
        return formatted("%.1f", *value);
    return grouped(formatted("%.0f", *value));
}

// Columns are padded by characters, not bytes: "≤", "×" and "—" take several bytes.
std::size_t displayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

Row rowFor(const SummaryReporter& results, const Comparison& comparison) {
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
    return {comparison.label, nanoseconds(figure), nanoseconds(baseline), ratioText, target,
            verdict};
}

void printRow(std::ostream& out, const Row& row,
              const std::array<std::size_t, columnCount>& widths) {
    for (std::size_t i = 0; i < columnCount; ++i) {
        const std::string padding(widths[i] - displayWidth(row[i]), ' ');
        // The name reads best flush left, the numbers flush right.
        out << (i == 0 ? row[i] + padding : padding + row[i])
            << (i + 1 < columnCount ? "  " : "\n");
    }
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

void printSummary(std::ostream& out, const SummaryReporter& results,
                  const std::vector<Comparison>& comparisons) {
    std::vector<Row> rows{
        {"benchmark", "figure (ns/op)", "baseline (ns/op)", "ratio", "target", "result"}};
    for (const Comparison& comparison : comparisons)
        rows.push_back(rowFor(results, comparison));
    std::array<std::size_t, columnCount> widths{};
    for (const Row& row : rows)
        for (std::size_t i = 0; i < columnCount; ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    out << "\nSummary (real time per operation; ratio = figure / baseline)\n\n";
    for (const Row& row : rows)
        printRow(out, row, widths);
}

} // namespace bench
