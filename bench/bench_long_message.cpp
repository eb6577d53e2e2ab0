// A message of 1 MB without a single place to break a line, put on display in the real main
// window, beside a message of words of the same length in the same run: showing a message must
// take time in proportion to its length, however long its longest word.

#include "main_window_run.h"
#include "summary.h"
#include "windows/principal.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr std::size_t messageBytes = 1024 * 1024;
constexpr int iterations = 3;
constexpr double targetRatio = 2.0;

// The messages by number, as the scroll bar reaches them: a short one, then the two long ones.
constexpr int shortMessage = 1;
constexpr int wordsMessage = 2;
constexpr int unbrokenMessage = 3;

std::string words(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "quem semeia amor colhe paz e segue em frente ";
    text.resize(bytes);
    return text;
}

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
    if (!bench::takeArguments(argc, argv))
        return EXIT_FAILURE;

    bench::MainWindowRun run("quelmar-bench-message", {"Uma mensagem curta.", words(messageBytes),
                                                       std::string(messageBytes, 'x')});
    windows::frmPrincipal& window = run.window();
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

    bench::runAndSummarise("a long message on display",
                           {{"1 MB message without a break, shown in the main window",
                             "message/unbroken", "message/words", targetRatio}});
    return EXIT_SUCCESS;
}
