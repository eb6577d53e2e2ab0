// quelmar-colecoes: builds, checks and reads back the program's data files.

#include "colecoes/building.h"
#include "colecoes/collection_file.h"
#include "colecoes/installation.h"
#include "colecoes/verification.h"
#include "data/encoding.h"
#include "data/fortune.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

using core::displayable;

const core::CommandLine& commandLine() {
    static const core::CommandLine line(QStringLiteral("quelmar-colecoes"),
                                        {{{}, QStringLiteral("codificacao"), true}});
    return line;
}

const char* const helpText =
    "Uso: quelmar-colecoes COMANDO ARGUMENTOS\n"
    "\n"
    "Cria, verifica e lê os arquivos de dados do Quelmar de Orivela.\n"
    "\n"
    "Comandos:\n"
    "  criar [--codificacao COD] SAIDA TABELA FONTE [FONTE...]\n"
    "      Cria a coleção SAIDA com a tabela TABELA a partir dos arquivos de texto FONTE,\n"
    "      um depois do outro. As mensagens recebem os números 1, 2, 3... na ordem em que\n"
    "      aparecem; no máximo 32767, e as fontes juntas com no máximo 32 MiB. SAIDA pode\n"
    "      ser nova ou uma coleção que será substituída; qualquer outro arquivo (uma\n"
    "      fonte, o arquivo de opções, um documento, um link, um dispositivo) é recusado.\n"
    "      COD diz como ler as fontes: utf-8 (o padrão), latin1, cp1252 ou auto (UTF-8\n"
    "      quando o arquivo é UTF-8 válido, senão cp1252). Uma FONTE que é uma pasta vale\n"
    "      pelos seus arquivos de texto, em ordem de nome (sem os ocultos e sem os .dat e\n"
    "      .u8 do strfile, que também são ignorados quando vêm de um curinga).\n"
    "  instalar [--codificacao COD] quelmar|tarvenas FONTE [FONTE...]\n"
    "      Cria, como \"criar\", a sua própria coleção Quelmar ou Tarvenas, que o programa\n"
    "      e o quelmar-frase passam a usar no lugar da instalada, só para você. Fica em\n"
    "      $XDG_DATA_HOME/quelmar-de-orivela (~/.local/share/quelmar-de-orivela).\n"
    "  restaurar quelmar|tarvenas\n"
    "      Remove a sua própria coleção; o programa volta a usar a instalada.\n"
    "  mostrar\n"
    "      Diz, para cada coleção, o arquivo em uso, se é o seu ou o instalado, e quantas\n"
    "      mensagens ele tem.\n"
    "  verificar ARQUIVO TABELA\n"
    "      Confere, sem mudar nada, se a coleção segue todas as regras de que o programa\n"
    "      depende e lista cada problema (registro, valor, regra). Avisa também, sem\n"
    "      falhar, de mensagens iguais a menos de maiúsculas e acentos, caracteres de\n"
    "      controle, bytes que não são UTF-8, mensagens longas demais para a caixa da\n"
    "      mensagem e mensagens que só voltam iguais por linhas protegidas.\n"
    "  exportar ARQUIVO TABELA\n"
    "      Escreve as mensagens da coleção, em ordem de número, no formato de texto;\n"
    "      \"criar\" refaz a partir dele a mesma coleção.\n"
    "  opcoes ARQUIVO\n"
    "      Cria o arquivo de opções com os valores iniciais (coleção Quelmar, 15 segundos,\n"
    "      temporizador ligado). Nunca substitui um arquivo existente.\n"
    "\n"
    "Opções:\n"
    "  -h, --help      mostra esta ajuda e termina\n"
    "  -V, --version   mostra a versão e termina\n"
    "\n"
    "Formato de texto (o dos arquivos do fortune): as mensagens são separadas por uma\n"
    "linha que contém só \"%\"; as linhas em branco em volta de cada mensagem são\n"
    "ignoradas, e uma mensagem vazia é pulada com um aviso; fim de linha LF ou CRLF.\n"
    "Uma linha que começa com \"%\\\" é uma linha protegida: o resto dela é o texto da\n"
    "linha, em que \\\\ é uma barra invertida, \\r um retorno de carro e \\xHH o byte de valor\n"
    "hexadecimal HH. \"exportar\" protege só as linhas que de outro modo voltariam\n"
    "diferentes: uma linha só com \"%\", uma linha em branco no começo ou no fim da\n"
    "mensagem, uma que termina em retorno de carro, começa com \"%\\\" ou com a marca BOM,\n"
    "ou tem bytes que não são UTF-8.\n"
    "\n"
    "Saída: 0 em caso de sucesso, 1 se algo falhou ou a coleção tem problemas, 2 se o\n"
    "comando foi mal escrito.\n";

struct CreateArguments {
    QString output;
    QString table;
    QStringList sources;
    data::Encoding encoding = data::Encoding::Utf8;
};

// --codificacao may stand anywhere among the arguments; the last one given counts.
data::Encoding encodingOf(const core::CommandArguments& arguments) {
    data::Encoding chosen = data::Encoding::Utf8;
    for (const core::GivenOption& option : arguments.options) {
        if (option.name != u"codificacao")
            continue;
        const auto encoding = data::encodingNamed(option.value);
        if (!encoding)
            core::refuseUsage(QStringLiteral("codificação desconhecida: \"%1\" (use utf-8, "
                                             "latin1, cp1252 ou auto).")
                                  .arg(displayable(option.value)));
        chosen = *encoding;
    }
    return chosen;
}

CreateArguments createArguments(const core::CommandArguments& arguments) {
    CreateArguments parsed;
    parsed.encoding = encodingOf(arguments);
    parsed.output = arguments.operands[0];
    parsed.table = arguments.operands[1];
    parsed.sources = arguments.operands.mid(2);
    return parsed;
}

int create(const core::CommandArguments& given) {
    const CreateArguments arguments = createArguments(given);
    const int count = colecoes::buildCollection(
        {arguments.output, arguments.table, arguments.sources, arguments.encoding});
    return commandLine().answer(
        QStringLiteral("Coleção criada: %1 (tabela %2, %3 mensagens).\n")
            .arg(displayable(arguments.output), arguments.table, QString::number(count)));
}

const data::CollectionSource& collectionArgument(const QString& name) {
    if (const data::CollectionSource* source = colecoes::collectionNamed(name))
        return *source;
    core::refuseUsage(QStringLiteral("coleção desconhecida: \"%1\" (use quelmar ou tarvenas).")
                          .arg(displayable(name)));
}

int install(const core::CommandArguments& arguments) {
    return commandLine().answer(
        colecoes::installCollection(collectionArgument(arguments.operands[0]),
                                    arguments.operands.mid(1), encodingOf(arguments)));
}

int restore(const core::CommandArguments& arguments) {
    return commandLine().answer(
        colecoes::restoreCollection(collectionArgument(arguments.operands[0])));
}

int show(const core::CommandArguments&) {
    const colecoes::CollectionsShown shown = colecoes::showCollections();
    const int written = commandLine().answer(shown.text);
    return written != core::Success || shown.allUsable ? written : core::Failure;
}

int verify(const core::CommandArguments& arguments) {
    const QString& path = arguments.operands[0];
    const QString& table = arguments.operands[1];
    const QString shown = displayable(path);
    const colecoes::Verification result = colecoes::verifyCollection(path, table);
    core::CheckedOutput out(stdout);
    for (const colecoes::Violation& violation : result.violations) {
        QString where = violation.row > 0 ? QStringLiteral("registro %1").arg(violation.row)
                                          : QStringLiteral("tabela %1").arg(table);
        if (!violation.value.isEmpty())
            where += QStringLiteral(", valor %1").arg(violation.value);
        out.write(QStringLiteral("%1: %2: %3\n").arg(shown, where, violation.rule));
    }
    for (const colecoes::Warning& warning : result.warnings)
        out.write(QStringLiteral("%1: aviso: a mensagem %2 %3\n")
                      .arg(shown, QString::number(warning.number), warning.text));
    const QString warnings = result.warnings.empty()
                                 ? QString()
                                 : QStringLiteral(" (%1 aviso(s))").arg(result.warnings.size());
    if (result.violations.empty())
        out.write(QStringLiteral("%1: tabela %2 sem problemas%3.\n").arg(shown, table, warnings));
    else
        out.write(
            QStringLiteral("%1 problema(s) em %2.\n").arg(result.violations.size()).arg(shown));
    const int written = commandLine().finish(out);
    return written != core::Success || result.violations.empty() ? written : core::Failure;
}

int exportMessages(const core::CommandArguments& arguments) {
    core::CheckedOutput out(stdout);
    colecoes::exportCollection(arguments.operands[0], arguments.operands[1], out);
    return commandLine().finish(out);
}

int createOptions(const core::CommandArguments& arguments) {
    const QString& path = arguments.operands[0];
    if (const QString problem = colecoes::createOptions(path); !problem.isEmpty())
        core::failCommand(problem);
    return commandLine().answer(
        QStringLiteral("Arquivo de opções criado: %1.\n").arg(displayable(path)));
}

int help(const core::CommandArguments&) {
    return commandLine().answer(QString::fromUtf8(helpText));
}

} // namespace

int main(int argc, char* argv[]) {
    core::protectStandardStreams();
    const core::CommandLine& line = commandLine();
    return line.run([&]() {
        const core::CommandArguments arguments = line.read(line.argumentsOf(argc, argv));
        if (arguments.has(u"help"))
            return help(arguments);
        if (arguments.has(u"version"))
            return line.answer(
                QStringLiteral("quelmar-colecoes (Quelmar de Orivela) " QUELMAR_VERSION "\n"));
        if (arguments.has(u"codificacao") && arguments.operands.value(0) != u"criar" &&
            arguments.operands.value(0) != u"instalar")
            core::refuseUsage(
                QStringLiteral("--codificacao só vale com \"criar\" e \"instalar\"."));
        QCoreApplication application(argc, argv);
        return line.dispatch(arguments, {
                                            {QStringLiteral("criar"), 3, -1, create},
                                            {QStringLiteral("instalar"), 2, -1, install},
                                            {QStringLiteral("restaurar"), 1, 1, restore},
                                            {QStringLiteral("mostrar"), 0, 0, show},
                                            {QStringLiteral("verificar"), 2, 2, verify},
                                            {QStringLiteral("exportar"), 2, 2, exportMessages},
                                            {QStringLiteral("opcoes"), 1, 1, createOptions},
                                            {QStringLiteral("ajuda"), 0, 0, help},
                                        });
    });
}
