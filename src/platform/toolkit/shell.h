#pragma once

#include "platform/toolkit/services.h"

#include <QUrl>

namespace toolkit {

// What a "start" command line asks to open: a web address or a "mailto:" address. An empty
// address when the line is no "start" command or names nothing that can be opened.
QUrl startTarget(const QString& commandLine);

// Opens the target of a "start" command line with the program the desktop has for it (the web
// browser, the mail program) through xdg-open, watching it without waiting for it. Why it could
// not start comes back at once; why it failed afterwards goes to `failedLater` when it ends.
// A launcher still running when the program ends is left to finish on its own.
Failure runStartCommand(const QString& commandLine, LaunchFailed failedLater);

} // namespace toolkit
