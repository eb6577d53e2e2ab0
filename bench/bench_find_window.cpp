// "Localizar" and then "Localizar próxima" through the real main window, from the first match of
// a keyword to the last, over the largest collection the program accepts with the keyword in
// one message in ten. Each match is put on display as the user sees it (text, number, scroll
// bar), so this is the cost of the whole feature, beside a byte search over the same texts in
// the same run.

#include "data/collections.h"
#include "data/search.h"
#include "main_window_run.h"
#include "sample_collection.h"
#include "summary.h"
#include "windows/principal.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace std::string_view_literals;

constexpr int messageLength = 90;
constexpr std::uint32_t messageSeed = 20240611;
constexpr auto sweepWord = " lumiar "sv;
constexpr std::size_t sweepEvery = 10;
constexpr double minTime = 0.5;

[[noreturn]] void abandon(const char* why) {
    std::fprintf(stderr, "quelmar-bench-find: %s\n", why);
    std::exit(EXIT_FAILURE);
}

// Every match but the last: a find-next after it would show the not-found box.
void sweepThroughWindow(benchmark::State& state, windows::frmPrincipal& window, int hits) {
    const std::string_view keyword = sweepWord.substr(1, sweepWord.size() - 2);
    const QString criterion =
        data::keywordCriterion(QString::fromLatin1(keyword.data(), qsizetype(keyword.size())));
    for (auto _ : state) {
        bool found = window.Localizar(criterion, windows::SearchFrom::FirstMessage);
        for (int hit = 1; found && hit < hits; ++hit)
            found = window.Localizar(criterion, windows::SearchFrom::AfterCurrent);
        if (!found)
            abandon("the sweep missed a match");
    }
}

void sweepWithMemmem(benchmark::State& state, const std::vector<std::string>& messages) {
    for (auto _ : state) {
        int hits = 0;
        for (const std::string& message : messages)
            if (memmem(message.data(), message.size(), sweepWord.data(), sweepWord.size()))
                ++hits;
        benchmark::DoNotOptimize(hits);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (!bench::takeArguments(argc, argv))
        return EXIT_FAILURE;

    const std::vector<std::string> messages = bench::withWordEvery(
        bench::makeMessages(data::largestCollection, messageLength, messageSeed), sweepWord,
        sweepEvery);
    const int hits = static_cast<int>(messages.size() / sweepEvery);
    bench::MainWindowRun run("quelmar-bench-find", messages);
    windows::frmPrincipal& window = run.window();

    benchmark::RegisterBenchmark(
        "findnext/window",
        [&](benchmark::State& state) { sweepThroughWindow(state, window, hits); })
        ->MinTime(minTime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("findnext/memmem",
                                 [&](benchmark::State& state) { sweepWithMemmem(state, messages); })
        ->MinTime(minTime)
        ->Unit(benchmark::kMicrosecond);

    bench::runAndSummarise("find-next through the main window",
                           {{"find-next sweep through the main window", "findnext/window",
                             "findnext/memmem", std::nullopt}});
    return EXIT_SUCCESS;
}
