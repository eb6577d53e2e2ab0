// A message of 1 MB without a single place to break a line, put on display in the real main
// window, beside a message of words of the same length in the same run: showing a message must
// take time in proportion to its length, however long its longest word.

#include "colecoes/collection_file.h"
#include "data/collections.h"
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
#include <iostream>
#include <unistd.h>

namespace {

constexpr std::size_t messageBytes = 1024 * 1024;
constexpr int iterations = 3;
constexpr double targetRatio = 2.0;

// The messages by number, as the scroll bar reaches them.
constexpr int shortMessage = 1;
constexpr int wordsMessage = 2;
constexpr int unbrokenMessage = 3;

[[noreturn]] void abandon(const char* why) {
    std::fprintf(stderr, "quelmar-bench-message: %s\n", why);
    std::exit(EXIT_FAILURE);
}

std::string words(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "quem semeia amor colhe paz e segue em frente ";
    text.resize(bytes);
    return text;
}

// A program directory whose first collection holds a short message, then the two long ones.
class Workload {
public:
    Workload() {
        if (!m_directory.isValid())
            abandon("no temporary directory");
        write(data::quelmarCollection,
              {"Uma mensagem curta.", words(messageBytes), std::string(messageBytes, 'x')});
        write(data::tarvenasCollection, {"Uma só mensagem."});
        if (!colecoes::createOptions(QDir(path()).filePath(QStringLiteral("opcoes"))).isEmpty())
            abandon("the options file could not be written");
    }

    QString path() const { return m_directory.path(); }

private:
    void write(const data::CollectionSource& source, const std::vector<std::string>& texts) {
        bench::writeCollection(data::collectionPath(path(), source),
                               QString::fromUtf16(source.table), texts);
    }

    QTemporaryDir m_directory;
};

// The long message reached with the scroll bar and painted, then the short one again, as a
// user browsing past it would see them.
void showAndLeave(benchmark::State& state, windows::frmPrincipal& window, int number) {
    toolkit::HScrollBar& browser = window.scrollBar(u"hscrollBrowser");
    for (auto _ : state) {
        browser.setValue(number);
        window.repaint();
        browser.setValue(shortMessage);
        window.repaint();
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
    window.scrollBar(u"hscrollBrowser").setValue(shortMessage);

    for (const auto& [name, number] :
         {std::pair{"message/words", wordsMessage}, std::pair{"message/unbroken", unbrokenMessage}})
        benchmark::RegisterBenchmark(name,
                                     [&window, number = number](benchmark::State& state) {
                                         showAndLeave(state, window, number);
                                     })
            ->Iterations(iterations)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);

    bench::SummaryReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::printSummary(std::cout, "a long message on display", reporter,
                        {{"1 MB message without a break, shown in the main window",
                          "message/unbroken", "message/words", targetRatio}});
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
