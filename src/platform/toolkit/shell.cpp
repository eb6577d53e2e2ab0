#include "platform/toolkit/shell.h"

#include <QProcess>
#include <QStandardPaths>

namespace toolkit {

using namespace Qt::StringLiterals;

namespace {

// What xdg-open's exit status says went wrong.
Failure launcherFailure(int exitCode, QProcess::ExitStatus status) {
    if (status == QProcess::CrashExit)
        return u"o xdg-open foi interrompido antes de abri-lo."_s;
    switch (exitCode) {
    case 0:
        return std::nullopt;
    case 1:
        return u"o xdg-open não entendeu o pedido."_s;
    case 2:
        return u"o endereço não existe."_s;
    case 3:
        return u"não há nenhum programa instalado que abra esse tipo de endereço."_s;
    case 4:
        return u"o programa que abre esse tipo de endereço falhou."_s;
    default:
        return u"o xdg-open terminou com o código de erro %1."_s.arg(exitCode);
    }
}

} // namespace

QUrl startTarget(const QString& commandLine) {
    const QString command = u"start "_s;
    if (!commandLine.startsWith(command, Qt::CaseInsensitive))
        return {};
    const QUrl target(commandLine.mid(command.size()).trimmed(), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty())
        return {};
    return target;
}

Failure runStartCommand(const QString& commandLine, LaunchFailed failedLater) {
    const QUrl target = startTarget(commandLine);
    if (target.isEmpty())
        return u"o comando \"%1\" não indica o que abrir."_s.arg(commandLine);
    const QString launcher = QStandardPaths::findExecutable(u"xdg-open"_s);
    if (launcher.isEmpty())
        return u"o sistema não tem o xdg-open, que abre endereços com os programas do ambiente "
               "de trabalho."_s;
    // Owned by nothing, so that the end of the program does not kill it on the way out.
    auto* process = new QProcess;
    process->setProgram(launcher);
    process->setArguments({target.toString(QUrl::FullyEncoded)});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process,
                     [process, failedLater](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (const Failure failure = launcherFailure(exitCode, status))
                             failedLater(*failure);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failedLater](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         failedLater(
                             u"não foi possível iniciar o xdg-open: ele não foi encontrado ou "
                             u"não pode ser executado."_s);
                     });
    process->start();
    return std::nullopt;
}

} // namespace toolkit
