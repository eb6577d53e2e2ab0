// The program's own start-up, from process start to the main window's first painted frame:
// the same entry the program uses, with the data files of the directory given as argument.
//
//   quelmar-startup-probe PROGRAM-DIRECTORY [DELAY-MS KEYWORD]
//
// With a delay and a keyword, the probe goes on after the first frame: DELAY-MS later it
// searches the current collection for the keyword, which only its last message may hold, then
// searches again a few times, and writes one more line, "search FIRST-MS LATER-MS" (LATER-MS the
// median of the later ones). A search that does not end on the last message is a failure.

#include "app/entry.h"
#include "data/search.h"
#include "first_paint.h"
#include "process_timing.h"
#include "windows/principal.h"

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int laterSearches = 5;

double timedSearch(windows::frmPrincipal& window, const QString& criterion) {
    const auto start = std::chrono::steady_clock::now();
    const bool found = window.Localizar(criterion, windows::SearchFrom::FirstMessage);
    const auto end = std::chrono::steady_clock::now();
    const db::Recordset& collection = *window.currentCollection();
    if (!found || collection.AbsolutePosition() + 1 != collection.RecordCount()) {
        std::fprintf(stderr, "quelmar-startup-probe: the search did not end on the last message\n");
        std::_Exit(EXIT_FAILURE);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void searchAndExit(windows::frmPrincipal& window, const QString& criterion) {
    const double first = timedSearch(window, criterion);
    std::vector<double> later;
    for (int i = 0; i < laterSearches; ++i)
        later.push_back(timedSearch(window, criterion));
    std::printf("search %.3f %.3f\n", first, bench::median(later));
    std::fflush(stdout);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: quelmar-startup-probe PROGRAM-DIRECTORY [DELAY-MS KEYWORD]\n");
        return EXIT_FAILURE;
    }
    app::EntryOptions options;
    options.programDirectory = QString::fromLocal8Bit(argv[1]);
    if (argc == 2) {
        options.whenShown = [](QWidget& mainWindow) { bench::exitAfterFirstPaint(mainWindow); };
    } else {
        const int delay = std::atoi(argv[2]);
        const QString criterion = data::keywordCriterion(QString::fromLocal8Bit(argv[3]));
        options.whenShown = [delay, criterion](QWidget& mainWindow) {
            auto& window = dynamic_cast<windows::frmPrincipal&>(mainWindow);
            bench::afterFirstPaint(mainWindow, [&window, delay, criterion] {
                QTimer::singleShot(delay, &window,
                                   [&window, criterion] { searchAndExit(window, criterion); });
            });
        };
    }
    // Reaching the end means the window never painted: the harness reports that.
    return app::run(argc, argv, options);
}
