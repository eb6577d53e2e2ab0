// How long the program takes from process start to the first painted frame of its main window,
// and how much memory it holds by then, beside a bare Qt window with the same controls and no
// data, measured alternately in the same run. Twice: with the collections the build delivers,
// and with two collections of the largest size the program accepts; with those, the program
// also searches a while after its first frame, and that first search is set beside the later
// ones of the same run.
//
// Figures only: the program exits 0 whatever the ratios, and fails only when a probe does.

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "data/options.h"
#include "first_paint.h"
#include "process_timing.h"
#include "sample_collection.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int warmUpRuns = 2;
constexpr int measuredRuns = 15;
// A probe that has not painted by then is stuck (a start-up error box waits for an answer
// nobody gives under the offscreen platform).
constexpr int probeTimeoutMilliseconds = 20000;

// About the mean length of the delivered messages (88 characters), so that the large
// collections differ from the delivered ones in count only.
constexpr int messageLength = 90;
constexpr std::uint32_t firstSeed = 20240611;
constexpr std::uint32_t secondSeed = 20240612;

constexpr double defaultTimeTarget = 1.10;
constexpr double largeTimeTarget = 1.20;
constexpr double largeMemoryAllowanceMiB = 12.0;
constexpr double firstSearchTarget = 2.0;

// With the large collections the probe goes on to search for a word that only the last message
// of each holds, so that the search reads every text, as soon as a user could; and its peak
// memory includes folding every text for finds.
constexpr int searchDelayMilliseconds = 300;
constexpr const char* lastMessageWord = "farolim";

constexpr const char* platform = "offscreen";

[[noreturn]] void abandon(const std::string& why) {
    std::fprintf(stderr, "quelmar-bench-startup: %s\n", why.c_str());
    std::exit(EXIT_FAILURE);
}

struct Probe {
    std::string name;
    std::vector<std::string> arguments; // the program first
};

struct Sample {
    double milliseconds = 0.0;
    double peakMiB = 0.0;
    std::string after; // what the probe wrote after the first-frame line
};

std::string fileText(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "r")) {
        char buffer[4096];
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, read);
        std::fclose(file);
    }
    return text;
}

class ProbeRunner {
public:
    explicit ProbeRunner(std::string errorFile) : m_errorFile(std::move(errorFile)) {}

    Sample run(const Probe& probe) const {
        int channel[2];
        if (pipe2(channel, O_CLOEXEC) != 0)
            abandon(std::string("pipe2: ") + std::strerror(errno));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const std::string& argument : probe.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);

        pid_t child = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
        close(channel[1]);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            close(channel[0]);
            abandon("cannot start " + probe.arguments[0] + ": " + std::strerror(spawned));
        }
        auto firstLineAt = start;
        const std::string output = readOutput(channel[0], child, firstLineAt);
        close(channel[0]);

        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child)
            abandon(std::string("wait4: ") + std::strerror(errno));
        const std::size_t end = output.find('\n');
        if (output.substr(0, end) != bench::firstPaintLine || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            abandon(probe.name + " did not reach its first frame or its end (output \"" + output +
                    "\", status " + std::to_string(status) + "):\n" + fileText(m_errorFile));
        return {std::chrono::duration<double, std::milli>(firstLineAt - start).count(),
                static_cast<double>(usage.ru_maxrss) / 1024.0, output.substr(end + 1)};
    }

private:
    // Everything the probe writes, and when its first line ended; stops at its end of output or
    // at the time limit, when the probe is killed.
    static std::string readOutput(int from, pid_t child,
                                  std::chrono::steady_clock::time_point& firstLineAt) {
        std::string output;
        bool firstLineSeen = false;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(probeTimeoutMilliseconds);
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd waiting{from, POLLIN, 0};
            const int ready = poll(&waiting, 1, static_cast<int>(std::max<long>(0, left.count())));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                kill(child, SIGKILL);
                return output + " [timed out]";
            }
            char buffer[256];
            const ssize_t count = read(from, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return output;
            output.append(buffer, static_cast<std::size_t>(count));
            if (!firstLineSeen && output.find('\n') != std::string::npos) {
                firstLineSeen = true;
                firstLineAt = std::chrono::steady_clock::now();
            }
        }
    }

    std::string m_errorFile;
};

struct Medians {
    double milliseconds = 0.0;
    double peakMiB = 0.0;
    double fastest = 0.0;
    double slowest = 0.0;
    // Of probes that searched: the first search, and the later ones.
    double firstSearch = 0.0;
    double laterSearch = 0.0;
};

Medians summarise(const std::vector<Sample>& samples) {
    std::vector<double> times;
    std::vector<double> memory;
    std::vector<double> first;
    std::vector<double> later;
    for (const Sample& sample : samples) {
        times.push_back(sample.milliseconds);
        memory.push_back(sample.peakMiB);
        double searched[2];
        if (std::sscanf(sample.after.c_str(), "search %lf %lf", &searched[0], &searched[1]) == 2) {
            first.push_back(searched[0]);
            later.push_back(searched[1]);
        }
    }
    return {bench::median(times),
            bench::median(memory),
            *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()),
            first.empty() ? 0.0 : bench::median(first),
            later.empty() ? 0.0 : bench::median(later)};
}

struct Comparison {
    Medians program;
    Medians bare;
};

// The two probes take turns, and which goes first alternates from round to round, so that
// neither always finds the caches as the other left them.
Comparison compare(const ProbeRunner& runner, const Probe& program, const Probe& bare) {
    for (int i = 0; i < warmUpRuns; ++i) {
        runner.run(program);
        runner.run(bare);
    }
    std::vector<Sample> programSamples;
    std::vector<Sample> bareSamples;
    for (int round = 0; round < measuredRuns; ++round) {
        if (round % 2 == 0) {
            programSamples.push_back(runner.run(program));
            bareSamples.push_back(runner.run(bare));
        } else {
            bareSamples.push_back(runner.run(bare));
            programSamples.push_back(runner.run(program));
        }
    }
    return {summarise(programSamples), summarise(bareSamples)};
}

void printDetail(const std::string& label, const Comparison& result) {
    const auto line = [](const char* who, const Medians& medians) {
        std::printf("  %-8s median %7.1f ms (fastest %.1f, slowest %.1f), peak memory %.1f MiB\n",
                    who, medians.milliseconds, medians.fastest, medians.slowest, medians.peakMiB);
    };
    std::printf("%s\n", label.c_str());
    line("program", result.program);
    line("bare", result.bare);
    if (result.program.laterSearch > 0.0)
        std::printf("  search   first %.2f ms (%d ms after the first frame), later ones %.2f ms\n",
                    result.program.firstSearch, searchDelayMilliseconds,
                    result.program.laterSearch);
    std::fflush(stdout);
}

// The largest collections the program accepts, and the options file with its default row.
void writeLargeProgramDirectory(const QString& directory) {
    for (const auto& [source, seed] : {std::pair{&data::quelmarCollection, firstSeed},
                                       std::pair{&data::tarvenasCollection, secondSeed}}) {
        std::vector<std::string> messages =
            bench::makeMessages(data::largestCollection, messageLength, seed);
        messages.back() += std::string(" ") + lastMessageWord + " .";
        bench::writeCollection(directory, *source, messages);
    }
    const QString failure = colecoes::createOptions(data::optionsPath(directory));
    if (!failure.isEmpty())
        abandon("options file: " + failure.toStdString());
}

void requireProgramDirectory(const QString& directory) {
    for (const char* name : {"quelmar.mdb", "tarvenas.mdb", "opcoes"})
        if (!QFileInfo::exists(QDir(directory).filePath(QString::fromLatin1(name))))
            abandon("missing " + QDir(directory).filePath(QString::fromLatin1(name)).toStdString() +
                    ": build the project first (make build)");
}

std::string milliseconds(double value) {
    return bench::formatted("%.1f ms", value);
}
std::string mebibytes(double value) {
    return bench::formatted("%.1f MiB", value);
}

bench::TableRow timeRow(const std::string& label, const Comparison& result, double target) {
    const double ratio = result.program.milliseconds / result.bare.milliseconds;
    return {label,
            milliseconds(result.program.milliseconds),
            milliseconds(result.bare.milliseconds),
            bench::formatted("%.2f", ratio),
            "≤ " + bench::formatted("%g", target) + "×",
            ratio <= target ? "met" : "missed"};
}

bench::TableRow memoryRow(const std::string& label, const Comparison& result,
                          std::optional<double> allowanceMiB) {
    const double ratio = result.program.peakMiB / result.bare.peakMiB;
    bench::TableRow row{label,
                        mebibytes(result.program.peakMiB),
                        mebibytes(result.bare.peakMiB),
                        bench::formatted("%.2f", ratio),
                        "—",
                        "—"};
    if (allowanceMiB) {
        row[4] = "≤ bare + " + bench::formatted("%g", *allowanceMiB) + " MiB";
        row[5] = result.program.peakMiB <= result.bare.peakMiB + *allowanceMiB ? "met" : "missed";
    }
    return row;
}

// The first search beside the later ones, in the same runs.
bench::TableRow searchRow(const std::string& label, const Medians& program) {
    const double ratio = program.firstSearch / program.laterSearch;
    return {label,
            bench::formatted("%.2f ms", program.firstSearch),
            bench::formatted("%.2f ms", program.laterSearch),
            bench::formatted("%.2f", ratio),
            "≤ " + bench::formatted("%g", firstSearchTarget) + "× later ones",
            ratio <= firstSearchTarget ? "met" : "missed"};
}

} // namespace

int main() {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        abandon("no temporary directory");
    // Both probes draw into memory: no display is needed, and none can disturb the figures.
    setenv("QT_QPA_PLATFORM", platform, 1);
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 1);

    const QString defaultDirectory = QString::fromUtf8(QUELMAR_BENCH_PROGRAM_DIR);
    requireProgramDirectory(defaultDirectory);
    const QString largeDirectory = scratch.filePath(QStringLiteral("grandes"));
    QDir().mkpath(largeDirectory);
    writeLargeProgramDirectory(largeDirectory);

    const ProbeRunner runner(scratch.filePath(QStringLiteral("erros.txt")).toStdString());
    const Probe bare{"bare window", {QUELMAR_BARE_PROBE}};
    const auto programWith = [](const QString& directory) {
        return Probe{"program", {QUELMAR_STARTUP_PROBE, directory.toStdString()}};
    };
    const auto searchingProgramWith = [](const QString& directory, int delay) {
        return Probe{"program",
                     {QUELMAR_STARTUP_PROBE, directory.toStdString(), std::to_string(delay),
                      lastMessageWord}};
    };

    std::printf("Start-up: process start to the first painted frame of the main window, beside a\n"
                "bare Qt window with the same controls and no data (QT_QPA_PLATFORM=%s).\n"
                "%d warm-up runs each, then %d runs each, taking turns; medians.\n\n",
                platform, warmUpRuns, measuredRuns);
    std::fflush(stdout);
    const Comparison delivered = compare(runner, programWith(defaultDirectory), bare);
    printDetail("default collections (" + defaultDirectory.toStdString() + ")", delivered);
    // A search at once must find the right message too, waiting for what it needs.
    runner.run(searchingProgramWith(largeDirectory, 0));
    const Comparison large =
        compare(runner, searchingProgramWith(largeDirectory, searchDelayMilliseconds), bare);
    printDetail("two collections of " + std::to_string(data::largestCollection) + " messages of ~" +
                    std::to_string(messageLength) + " characters",
                large);

    const std::string largeLabel = "2 × " + std::to_string(data::largestCollection) + " messages";
    std::vector<bench::TableRow> rows{
        timeRow("first frame, default collections", delivered, defaultTimeTarget),
        timeRow("first frame, " + largeLabel, large, largeTimeTarget),
        memoryRow("peak memory, default collections", delivered, std::nullopt),
        memoryRow("peak memory, " + largeLabel, large, largeMemoryAllowanceMiB),
        searchRow("first search " + std::to_string(searchDelayMilliseconds) +
                      " ms after the first frame, " + largeLabel,
                  large.program)};
    bench::appendToReport("start-up (median; baseline = bare Qt window)", rows);
    rows.insert(rows.begin(), {"start-up", "figure", "baseline", "ratio", "target", "result"});
    bench::printTable(
        std::cout,
        "Start-up summary (median; ratio = figure / baseline; baseline = bare Qt window)", rows);
    return EXIT_SUCCESS;
}
