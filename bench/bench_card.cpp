// A message card made by quelmar-frase, as a whole process: "quelmar-frase -n 1 --imagem F"
// (1080 × 1080, the default) beside "quelmar-frase -n 1", which writes the same message as text,
// in the same program directory and the same run. The difference is what the card costs: the
// drawing module and Qt Gui loaded, the layout, the drawing and the PNG file.
//
// Figures only: the program exits 0 whatever they are, and fails only when a run does.

#include "process_timing.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

constexpr int warmUpRuns = 3;
constexpr int measuredRuns = 31;
constexpr double targetMilliseconds = 150;

[[noreturn]] void abandon(const QString& why) {
    std::fprintf(stderr, "quelmar-bench-card: %s\n", why.toLocal8Bit().constData());
    std::exit(EXIT_FAILURE);
}

// The command beside its module and the data files, as installed.
QString installCommand(const QDir& directory) {
    const QDir built(QStringLiteral(QUELMAR_BENCH_PROGRAM_DIR));
    const QString frase = directory.filePath(QStringLiteral("quelmar-frase"));
    const auto copy = [](const QString& from, const QString& to) {
        if (!QFile::copy(from, to))
            abandon(QStringLiteral("cannot copy %1 to %2").arg(from, to));
    };
    copy(QStringLiteral(QUELMAR_FRASE), frase);
    directory.mkdir(QStringLiteral("modulos"));
    copy(QStringLiteral(QUELMAR_CARD_MODULE),
         directory.filePath(QStringLiteral("modulos/quelmar-frase-cartao.so")));
    for (const char* name : {"quelmar.mdb", "tarvenas.mdb", "opcoes"})
        copy(built.filePath(QString::fromLatin1(name)),
             directory.filePath(QString::fromLatin1(name)));
    QFile::setPermissions(frase, QFile::ReadOwner | QFile::ExeOwner);
    return frase;
}

} // namespace

int main() {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        abandon(QStringLiteral("no temporary directory"));
    const std::string frase = installCommand(QDir(scratch.path())).toStdString();
    const std::string card = scratch.filePath(QStringLiteral("cartao.png")).toStdString();
    const std::vector<std::string> making{frase, "-n", "1", "-c", "quelmar", "--imagem", card};
    const std::vector<std::string> text{frase, "-n", "1", "-c", "quelmar"};

    for (int i = 0; i < warmUpRuns; ++i) {
        bench::timeProcess(making);
        bench::timeProcess(text);
    }
    std::vector<double> cardTimes;
    std::vector<double> textTimes;
    // Which goes first alternates, so that neither always finds the caches as the other left them.
    for (int round = 0; round < measuredRuns; ++round) {
        if (round % 2 == 0)
            cardTimes.push_back(bench::timeProcess(making));
        textTimes.push_back(bench::timeProcess(text));
        if (round % 2 != 0)
            cardTimes.push_back(bench::timeProcess(making));
    }
    const double figure = bench::median(cardTimes);
    const double baseline = bench::median(textTimes);
    std::printf("a 1080 x 1080 card: %.2f ms (the same message as text: %.2f ms); %d runs each, "
                "taking turns; medians\n",
                figure, baseline, measuredRuns);

    std::vector<bench::TableRow> rows{
        {"quelmar-frase --imagem, 1080 × 1080", bench::formatted("%.2f ms", figure),
         bench::formatted("%.2f ms", baseline), bench::formatted("%.2f", figure / baseline),
         bench::formatted("≤ %g ms", targetMilliseconds),
         figure <= targetMilliseconds ? "met" : "missed"}};
    bench::appendToReport("message card (median; baseline = the same message as text)", rows);
    rows.insert(rows.begin(), {"message card", "figure", "baseline", "ratio", "target", "result"});
    bench::printTable(std::cout, "Message card (median; ratio = figure / baseline)", rows);
    return EXIT_SUCCESS;
}
