// The program's own start-up, from process start to the main window's first painted frame:
// the same entry the program uses, with the data files of the directory given as argument.
//
//   quelmar-startup-probe PROGRAM-DIRECTORY

#include "app/entry.h"
#include "first_paint.h"

#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quelmar-startup-probe PROGRAM-DIRECTORY\n");
        return EXIT_FAILURE;
    }
    app::EntryOptions options;
    options.programDirectory = QString::fromLocal8Bit(argv[1]);
    options.whenShown = [](QWidget& mainWindow) { bench::exitAfterFirstPaint(mainWindow); };
    // Reaching the end means the window never painted: the harness reports that.
    return app::run(argc, argv, options);
}
