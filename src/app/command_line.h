#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for. Qt's own options (-style, -platform, ...) are left for Qt to
// take; the program itself has only --help and --version.
struct CommandLine {
    enum class Request { Run, Help, Version, Unknown };
    Request request = Request::Run;
    // Why the arguments were refused, naming the one that is neither ours nor Qt's.
    QString problem;
};

// The arguments after the program's name.
CommandLine readCommandLine(const QStringList& arguments);

QString helpText();
QString versionText();

// Answers --help, --version or an unknown argument without starting Qt, so that none of them needs
// a display. Returns the exit status, or -1 when the program should start.
int answerCommandLine(int argc, char** argv);

} // namespace app
