// quelmar-frase beside fortune on the same corpus, as whole processes: a random message
// (quelmar-frase -q, fortune FILE) and a search for a word with a few matches
// (quelmar-frase -q -b WORD, fortune -m WORD FILE). Two corpora: the first collection the build
// delivers, and a generated one of the largest size the program accepts; each is exported with
// quelmar-colecoes exportar and indexed with strfile for fortune. Then a random message from
// Debian's Portuguese fortune file (fortunes-br) read as it is, beside fortune with its index;
// the peak memory of a pick; and the floor: a program linking Qt Core and SQLite that reads one
// row by number, which no Qt command can beat. Every process runs on one processor.
//
// Figures only: the program exits 0 whatever the ratios, and fails only when a run does or
// fortune-mod is missing.

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "data/options.h"
#include "process_timing.h"
#include "sample_collection.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sched.h>
#include <string>
#include <vector>

namespace {

constexpr int warmUpRuns = 3;
constexpr int measuredRuns = 41;
constexpr int memoryRuns = 5;
constexpr double randomTarget = 1.3;
constexpr double smallSearchTarget = 1.3;
constexpr double largeSearchTarget = 0.5;
constexpr double fortuneFileTarget = 1.5;
constexpr double memoryTarget = 1.2;
// The largest collection's pick beside the default one's.
constexpr double flatTarget = 1.1;
constexpr const char* brasil = "/usr/share/games/fortunes/brasil";

constexpr int messageLength = 90;
constexpr std::uint32_t seed = 20240611;
// A word of its own, put into a few messages of the generated corpus only.
constexpr std::string_view generatedWord = "orivelense";
constexpr std::size_t generatedWordEvery = 8192;
// A word in three of the delivered messages.
constexpr std::string_view deliveredWord = "paciência";

[[noreturn]] void abandon(const std::string& why) {
    std::fprintf(stderr, "quelmar-bench-fortune: %s\n", why.c_str());
    std::exit(EXIT_FAILURE);
}

// fortune-mod puts its programs in /usr/games, which is not always on PATH.
std::string findProgram(const char* name) {
    QStringList places = QString::fromLocal8Bit(qgetenv("PATH")).split(u':', Qt::SkipEmptyParts);
    places << QStringLiteral("/usr/games") << QStringLiteral("/usr/local/games");
    for (const QString& place : places) {
        const QFileInfo candidate(QDir(place).filePath(QString::fromLatin1(name)));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath().toStdString();
    }
    abandon(std::string(name) + " not found (on PATH or in /usr/games): install fortune-mod "
                                "(scripts/install-deps.sh installs it for the benchmarks)");
}

void run(const QString& program, const QStringList& arguments, const QString& output = {}) {
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        abandon((program + u' ' + arguments.join(u' ')).toStdString() + " failed:\n" +
                process.readAllStandardError().toStdString());
}

void copyFile(const QString& from, const QString& to) {
    if (!QFile::copy(from, to))
        abandon("cannot copy " + from.toStdString() + " to " + to.toStdString());
}

// A program directory as installed: quelmar-frase beside the collections and the options.
struct Corpus {
    std::string label;
    QString directory;
    QString fortuneFile;
    std::string word;
};

Corpus prepare(const std::string& label, const QString& directory, const std::string& word) {
    const QString frase = QDir(directory).filePath(QStringLiteral("quelmar-frase"));
    copyFile(QStringLiteral(QUELMAR_FRASE), frase);
    QFile::setPermissions(frase, QFile::ReadOwner | QFile::ExeOwner);
    const QString fortuneFile = QDir(directory).filePath(QStringLiteral("quelmar"));
    run(QStringLiteral(QUELMAR_COLECOES),
        {QStringLiteral("exportar"), data::collectionPath(directory, data::quelmarCollection),
         QString::fromUtf16(data::quelmarCollection.table)},
        fortuneFile);
    run(QString::fromStdString(findProgram("strfile")), {QStringLiteral("-s"), fortuneFile});
    return {label, directory, fortuneFile, word};
}

Corpus deliveredCorpus(const QString& directory) {
    const QString built = QStringLiteral(QUELMAR_BENCH_PROGRAM_DIR);
    for (const char* name : {"quelmar.mdb", "tarvenas.mdb", "opcoes"})
        copyFile(QDir(built).filePath(QString::fromLatin1(name)),
                 QDir(directory).filePath(QString::fromLatin1(name)));
    return prepare("default collection", directory, std::string(deliveredWord));
}

Corpus generatedCorpus(const QString& directory) {
    const std::string word = " " + std::string(generatedWord) + " ";
    bench::writeCollection(
        directory, data::quelmarCollection,
        bench::withWordEvery(bench::makeMessages(data::largestCollection, messageLength, seed),
                             word, generatedWordEvery));
    copyFile(
        QDir(QStringLiteral(QUELMAR_BENCH_PROGRAM_DIR)).filePath(QStringLiteral("tarvenas.mdb")),
        QDir(directory).filePath(QStringLiteral("tarvenas.mdb")));
    const QString failure = colecoes::createOptions(data::optionsPath(directory));
    if (!failure.isEmpty())
        abandon("options file: " + failure.toStdString());
    return prepare(std::to_string(data::largestCollection) + " messages", directory,
                   std::string(generatedWord));
}

struct Pair {
    double program = 0.0;
    double baseline = 0.0;
    double programKiB = 0.0;
    double baselineKiB = 0.0;
};

// fortune's exit status means nothing: -m exits 1 when it found something.
// The two take turns, and which goes first alternates, so that neither always finds the caches
// as the other left them.
Pair compare(const std::vector<std::string>& program, const std::vector<std::string>& baseline) {
    for (int i = 0; i < warmUpRuns; ++i) {
        bench::timeProcess(program);
        bench::timeProcess(baseline, std::nullopt);
    }
    std::vector<double> programTimes;
    std::vector<double> baselineTimes;
    for (int round = 0; round < measuredRuns; ++round) {
        if (round % 2 == 0) {
            programTimes.push_back(bench::timeProcess(program));
            baselineTimes.push_back(bench::timeProcess(baseline, std::nullopt));
        } else {
            baselineTimes.push_back(bench::timeProcess(baseline, std::nullopt));
            programTimes.push_back(bench::timeProcess(program));
        }
    }
    std::vector<double> programPeaks;
    std::vector<double> baselinePeaks;
    for (int round = 0; round < memoryRuns; ++round) {
        programPeaks.push_back(double(bench::peakMemoryKiB(program)));
        baselinePeaks.push_back(double(bench::peakMemoryKiB(baseline)));
    }
    return {bench::median(programTimes), bench::median(baselineTimes), bench::median(programPeaks),
            bench::median(baselinePeaks)};
}

bench::TableRow row(const std::string& label, double figure, double baseline, double target,
                    const char* unit = "%.2f ms") {
    const double ratio = figure / baseline;
    return {label,
            bench::formatted(unit, figure),
            bench::formatted(unit, baseline),
            bench::formatted("%.2f", ratio),
            target > 0 ? "≤ " + bench::formatted("%g", target) + "×" : "—",
            target <= 0       ? "—"
            : ratio <= target ? "met"
                              : "missed"};
}

struct Measured {
    Pair random;
    std::vector<bench::TableRow> rows;
};

Measured measure(const Corpus& corpus, const std::string& fortune, double searchTarget) {
    const std::string frase =
        QDir(corpus.directory).filePath(QStringLiteral("quelmar-frase")).toStdString();
    const std::string file = corpus.fortuneFile.toStdString();
    const Pair random = compare({frase, "-q"}, {fortune, file});
    const Pair search =
        compare({frase, "-q", "-b", corpus.word}, {fortune, "-m", corpus.word, file});
    std::printf(
        "%s: random %.2f ms (fortune %.2f ms); search \"%s\" %.2f ms (fortune -m %.2f ms)\n",
        corpus.label.c_str(), random.program, random.baseline, corpus.word.c_str(), search.program,
        search.baseline);
    std::fflush(stdout);
    return {
        random,
        {row("quelmar-frase -q, " + corpus.label, random.program, random.baseline, randomTarget),
         row("quelmar-frase -q -b, " + corpus.label, search.program, search.baseline,
             searchTarget)}};
}

// Everything else runs on one processor too, so that a child never waits for a migration.
void pinToOneProcessor() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return;
    for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu)
        if (CPU_ISSET(cpu, &allowed)) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            sched_setaffinity(0, sizeof one, &one);
            return;
        }
}

} // namespace

int main() {
    pinToOneProcessor();
    const std::string fortune = findProgram("fortune");
    if (!QFileInfo::exists(QString::fromLatin1(brasil)))
        abandon(std::string(brasil) + " not found: install fortunes-br "
                                      "(scripts/install-deps.sh installs it for the benchmarks)");
    QTemporaryDir scratch;
    if (!scratch.isValid())
        abandon("no temporary directory");
    QDir(scratch.path()).mkpath(QStringLiteral("entregue"));
    QDir(scratch.path()).mkpath(QStringLiteral("gerada"));
    const Corpus delivered = deliveredCorpus(scratch.filePath(QStringLiteral("entregue")));
    const Corpus generated = generatedCorpus(scratch.filePath(QStringLiteral("gerada")));

    std::printf("quelmar-frase beside fortune (%s), whole processes on the same corpus, output to\n"
                "/dev/null, on one processor; %d warm-up runs each, then %d runs each, taking\n"
                "turns; medians.\n\n",
                fortune.c_str(), warmUpRuns, measuredRuns);
    const Measured small = measure(delivered, fortune, smallSearchTarget);
    const Measured large = measure(generated, fortune, largeSearchTarget);
    const std::string frase =
        QDir(delivered.directory).filePath(QStringLiteral("quelmar-frase")).toStdString();
    const Pair file = compare({frase, "-q", brasil}, {fortune, brasil});
    const Pair floor =
        compare({QUELMAR_FRASE_FLOOR,
                 data::collectionPath(delivered.directory, data::quelmarCollection).toStdString(),
                 "QuelmarOrivela", "7"},
                {fortune, delivered.fortuneFile.toStdString()});
    std::vector<bench::TableRow> rows = small.rows;
    rows.insert(rows.end(), large.rows.begin(), large.rows.end());
    rows.push_back(row("quelmar-frase -q brasil (fortune text file)", file.program, file.baseline,
                       fortuneFileTarget));
    rows.push_back(row("pick: 32767 messages beside the default collection", large.random.program,
                       small.random.program, flatTarget));
    rows.push_back(row("peak memory of a pick, default collection", small.random.programKiB,
                       small.random.baselineKiB, memoryTarget, "%.0f KiB"));
    rows.push_back(
        row("floor: Qt Core + SQLite reading one row", floor.program, floor.baseline, 0));
    rows.push_back(
        row("floor: its peak memory", floor.programKiB, floor.baselineKiB, 0, "%.0f KiB"));
    bench::appendToReport("command line (median; baseline = fortune on the same corpus)", rows);
    rows.insert(rows.begin(), {"command line", "figure", "baseline", "ratio", "target", "result"});
    bench::printTable(
        std::cout, "Command-line summary (median; ratio = figure / baseline; baseline = fortune)",
        rows);
    return EXIT_SUCCESS;
}
