#include "app/command_line.h"

#include "platform/core/command_line.h"
#include "platform/core/file_names.h"

#include <QLatin1StringView>
#include <algorithm>
#include <initializer_list>

namespace app {

namespace {

using Request = CommandLine::Request;

// Qt's own options, as QGuiApplication, QApplication and the X11 platform read them, with one
// dash or two: those followed by a value, those that may carry it after "=", and the flags.
constexpr std::initializer_list<const char*> qtOptionsWithValue = {"platform",
                                                                   "platformpluginpath",
                                                                   "platformtheme",
                                                                   "plugin",
                                                                   "qwindowgeometry",
                                                                   "geometry",
                                                                   "qwindowtitle",
                                                                   "title",
                                                                   "qwindowicon",
                                                                   "icon",
                                                                   "session",
                                                                   "display",
                                                                   "name",
                                                                   "visual",
                                                                   "style",
                                                                   "stylesheet",
                                                                   "qmljsdebugger"};
constexpr std::initializer_list<const char*> qtOptionsWithEquals = {"style", "stylesheet",
                                                                    "qmljsdebugger"};
constexpr std::initializer_list<const char*> qtFlags = {"reverse", "nograb", "dograb",
                                                        "widgetcount", "testability"};

// No name is empty: an argument that is not an option is among none.
bool among(QStringView name, std::initializer_list<const char*> names) {
    for (const char* known : names)
        if (name == QLatin1StringView(known))
            return true;
    return false;
}

// How many arguments from `index` on are one of Qt's options with its value, for Qt to take.
qsizetype qtArguments(const QStringList& arguments, qsizetype index) {
    const QString& argument = arguments[index];
    if (!argument.startsWith(u'-') || argument == u"--")
        return 0;
    const QStringView name = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    if (equals > 0 && among(name.left(equals), qtOptionsWithEquals))
        return 1;
    if (among(name, qtOptionsWithValue))
        return std::min<qsizetype>(2, arguments.size() - index);
    return among(name, qtFlags) ? 1 : 0;
}

const core::CommandLine& commandLine() {
    static const core::CommandLine line(QStringLiteral("quelmar"), {}, qtArguments);
    return line;
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    try {
        const core::CommandArguments read = commandLine().read(arguments);
        if (read.has(u"help"))
            return {Request::Help, {}};
        if (read.has(u"version"))
            return {Request::Version, {}};
        if (!read.operands.isEmpty())
            core::refuseUsage(QStringLiteral("argumento inesperado: \"%1\".")
                                  .arg(core::displayable(read.operands.first())));
        return {};
    } catch (const core::CommandFailure& failure) {
        return {Request::Unknown, failure.reason()};
    }
}

QString helpText() {
    return QStringLiteral(
        "Uso: quelmar [OPÇÃO]...\n"
        "Mostra mensagens curtas de inspiração, uma de cada vez, tiradas das coleções\n"
        "Quelmar de Orivela e Tarvenas de Cendra.\n"
        "\n"
        "  -h, --help       mostra esta ajuda e termina\n"
        "  -V, --version    mostra a versão e termina\n"
        "\n"
        "Também valem as opções do Qt, como -style NOME (o estilo das janelas) e\n"
        "-platform NOME (o sistema de janelas, por exemplo xcb ou wayland).\n"
        "\n"
        "As coleções (quelmar.mdb, tarvenas.mdb) ficam na pasta do programa. As opções\n"
        "ficam no arquivo opcoes ao lado delas quando o usuário pode escrever nessa\n"
        "pasta; senão, cada usuário tem as suas em\n"
        "$XDG_CONFIG_HOME/quelmar-de-orivela/opcoes (~/.config/quelmar-de-orivela/opcoes),\n"
        "copiadas das opções iniciais na primeira vez que o programa é aberto.\n"
        "\n"
        "Saída: 0 depois de fechado normalmente, 1 depois de um erro em tempo de\n"
        "execução, 2 se a linha de comando estiver errada.\n"
        "Mais detalhes: man quelmar\n");
}

QString versionText() {
    return QStringLiteral("Quelmar de Orivela %1\n"
                          "Copyright (C) 2026 Estúdio Lumiar e Oficina Cendral\n"
                          "Licença GPLv3+: GNU GPL versão 3 ou posterior "
                          "<https://www.gnu.org/licenses/gpl-3.0.html>.\n"
                          "Este é um programa livre: você pode alterá-lo e redistribuí-lo.\n"
                          "Não há NENHUMA GARANTIA, na extensão máxima permitida em lei.\n")
        .arg(QStringLiteral(QUELMAR_VERSION));
}

int answerCommandLine(int argc, char** argv) {
    const CommandLine line = readCommandLine(core::CommandLine::argumentsOf(argc, argv));
    switch (line.request) {
    case Request::Run:
        return -1;
    case Request::Help:
        return commandLine().answer(helpText());
    case Request::Version:
        return commandLine().answer(versionText());
    case Request::Unknown:
        break;
    }
    return commandLine().run([&line]() -> int { core::refuseUsage(line.problem); });
}

} // namespace app
