// "Localizar" and then "Localizar próxima" through the real main window, from the first match of
// a keyword to the last, over the largest collection the program accepts with the keyword in
// one message in ten. Each match is put on display as the user sees it (text, number, scroll
// bar), so this is the cost of the whole feature, beside a byte search over the same texts in
// the same run.

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "data/search.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/qt_services.h"
#include "sample_collection.h"
#include "summary.h"
#include "windows/principal.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string_view>
#include <unistd.h>

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

// A program directory whose first collection holds the keyword every tenth message.
class Workload {
public:
    Workload() {
        if (!m_directory.isValid())
            abandon("no temporary directory");
        messages = bench::withWordEvery(
            bench::makeMessages(data::largestCollection, messageLength, messageSeed), sweepWord,
            sweepEvery);
        write(data::quelmarCollection, messages);
        write(data::tarvenasCollection, {"Uma só mensagem."});
        if (!colecoes::createOptions(QDir(path()).filePath(QStringLiteral("opcoes"))).isEmpty())
            abandon("the options file could not be written");
        hits = static_cast<int>(messages.size() / sweepEvery);
    }

    QString path() const { return m_directory.path(); }

    std::vector<std::string> messages;
    int hits = 0;

private:
    void write(const data::CollectionSource& source, const std::vector<std::string>& texts) {
        bench::writeCollection(data::collectionPath(path(), source),
                               QString::fromUtf16(source.table), texts);
    }

    QTemporaryDir m_directory;
};

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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;

    Workload workload;
    toolkit::QtServices services;
    toolkit::Program program(services, workload.path());
    if (!program.start<windows::frmPrincipal>())
        abandon("the main window did not start");
    windows::frmPrincipal& window = *program.loadedForm<windows::frmPrincipal>();
    window.timer(u"tmpTimer").setEnabled(false);

    benchmark::RegisterBenchmark(
        "findnext/window",
        [&](benchmark::State& state) { sweepThroughWindow(state, window, workload.hits); })
        ->MinTime(minTime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        "findnext/memmem",
        [&](benchmark::State& state) { sweepWithMemmem(state, workload.messages); })
        ->MinTime(minTime)
        ->Unit(benchmark::kMicrosecond);

    bench::SummaryReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::printSummary(std::cout, "find-next through the main window", reporter,
                        {{"find-next sweep through the main window", "findnext/window",
                          "findnext/memmem", std::nullopt}});
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
