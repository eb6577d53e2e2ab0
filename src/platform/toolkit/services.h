#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace toolkit {

// Message box styles: the icon, with a single OK button.
inline constexpr int vbCritical = 16;
inline constexpr int vbExclamation = 48;

// The window style of a program the shell starts: minimized, with the focus.
inline constexpr int vbMinimizedFocus = 2;

// Why something asked of the desktop did not happen, in words for the user; nothing when it did.
using Failure = std::optional<QString>;

// Told why a launch that had started failed, once the launcher has ended.
using LaunchFailed = std::function<void(const QString& reason)>;

// What the program asks of the world outside its windows. The program talks to these through
// one object so that tests can put a recording double in place of real dialogs and a real clock.
class Services {
public:
    virtual ~Services() = default;

    // A modal message box with one OK button; the answer is not read.
    virtual void messageBox(const QString& prompt, int style, const QString& title) = 0;
    // One line on the program's standard error, for whoever started it from a terminal.
    virtual void printError(const QString& line) = 0;

    // Reseeds the random generator from the clock.
    virtual void reseedRandom() = 0;
    // The next pseudo-random number r, 0 <= r < 1, in single precision.
    virtual float nextRandom() = 0;

    // Runs a command line of the desktop's "start" command: "start " and what to open, without
    // waiting for the launcher. Why it could not start comes back at once; a launcher that
    // fails afterwards is reported to `failedLater`, from the event loop, when it ends.
    virtual Failure runStartCommand(const QString& commandLine, int windowStyle,
                                    LaunchFailed failedLater) = 0;

    // Prints the page's image, its controls as they are, on one sheet of the default printer.
    virtual Failure printPage(QWidget& page) = 0;

    // The program has ended with `status`: leave the event loop, if one runs.
    virtual void endProgram(int status) = 0;
};

} // namespace toolkit
