#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace app {

// What a harness around the program may change; the program itself passes nothing.
struct EntryOptions {
    // Where the data files are; empty for the directory of the program file.
    QString programDirectory;
    // Runs once the main window has been shown.
    std::function<void(QWidget& mainWindow)> whenShown;
};

// Creates the application, loads the main window (the start-up) and runs the event loop.
// Returns the exit status: 0 after a normal close, 1 after a run-time error.
int run(int argc, char** argv, const EntryOptions& options = {});

} // namespace app
