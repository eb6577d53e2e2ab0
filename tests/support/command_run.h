#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A command-line program run to its end, as a user runs it.
struct CommandRun {
    int exitCode = -1; // -1 when the program died by a signal or hung
    QByteArray out;
    QByteArray err;

    QByteArray transcript() const {
        return "exit " + QByteArray::number(exitCode) + "\nstdout:\n" + out + "stderr:\n" + err;
    }
};

CommandRun runCommand(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory = {});

// Run by bash with `redirection` after it, for what QProcess cannot arrange: a closed stdout, a
// reader that goes away. The exit status is the program's own.
CommandRun runCommandRedirected(const QString& program, const QStringList& arguments,
                                const QString& redirection);

// Rows "redirection", "reason", "status" of the ways writing the output fails: a full disk, a
// closed stdout, a reader that stops reading (the output must be larger than a pipe holds).
void addWriteFailureRows();
