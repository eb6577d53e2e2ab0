#include "app/command_line.h"

#include "platform/core/standard_streams.h"

#include <QLatin1StringView>
#include <cstdio>
#include <initializer_list>

namespace app {

namespace {

using Request = CommandLine::Request;

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

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

// The option's name without its dashes, or empty for an argument that is not an option.
QStringView optionName(const QString& argument) {
    if (!argument.startsWith(u'-'))
        return {};
    return QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

// An answer that never reached its reader (a full disk) is a failure, said on stderr.
int answer(const QString& text) {
    core::CheckedOutput out(stdout);
    out.write(text);
    if (out.finish())
        return Success;
    print(stderr, QStringLiteral("quelmar: a resposta não foi escrita por inteiro: %1.\n")
                      .arg(out.failure()));
    return Failure;
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help" || argument == u"-h")
            return {Request::Help, {}};
        if (argument == u"--version" || argument == u"-V")
            return {Request::Version, {}};
        const QStringView name = optionName(argument);
        const qsizetype equals = name.indexOf(u'=');
        if (equals > 0 && among(name.left(equals), qtOptionsWithEquals))
            continue;
        if (among(name, qtOptionsWithValue)) {
            ++i;
            continue;
        }
        if (among(name, qtFlags))
            continue;
        return {Request::Unknown, argument};
    }
    return {};
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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = readCommandLine(arguments);
    switch (line.request) {
    case Request::Run:
        return -1;
    case Request::Help:
        return answer(helpText());
    case Request::Version:
        return answer(versionText());
    case Request::Unknown:
        break;
    }
    const QString what = line.unknown.startsWith(u'-') ? QStringLiteral("opção desconhecida")
                                                       : QStringLiteral("argumento inesperado");
    print(stderr,
          QStringLiteral("quelmar: %1: \"%2\"; use \"quelmar --help\" para ver as opções.\n")
              .arg(what, line.unknown));
    return Usage;
}

} // namespace app
