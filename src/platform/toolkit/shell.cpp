#include "platform/toolkit/shell.h"

#include <QDesktopServices>

namespace toolkit {

using namespace Qt::StringLiterals;

QUrl startTarget(const QString& commandLine) {
    const QString command = u"start "_s;
    if (!commandLine.startsWith(command, Qt::CaseInsensitive))
        return {};
    const QUrl target(commandLine.mid(command.size()).trimmed(), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty())
        return {};
    return target;
}

Failure runStartCommand(const QString& commandLine) {
    const QUrl target = startTarget(commandLine);
    if (target.isEmpty())
        return u"o comando \"%1\" não indica o que abrir."_s.arg(commandLine);
    if (!QDesktopServices::openUrl(target))
        return u"o sistema não tem um programa que abra \"%1\"."_s.arg(target.toString());
    return std::nullopt;
}

} // namespace toolkit
