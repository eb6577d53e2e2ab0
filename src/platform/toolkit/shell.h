#pragma once

#include "platform/toolkit/services.h"

#include <QUrl>

namespace toolkit {

// What a "start" command line asks to open: a web address or a "mailto:" address. An empty
// address when the line is no "start" command or names nothing that can be opened.
QUrl startTarget(const QString& commandLine);

// Opens the target of a "start" command line with the program the desktop has for it (the web
// browser, the mail program), through xdg-open on Linux; does not wait for that program.
Failure runStartCommand(const QString& commandLine);

} // namespace toolkit
