// quelmar-colecoes: builds, checks and reads back the program's data files.

#include "colecoes/collection_file.h"
#include "colecoes/verification.h"
#include "data/encoding.h"
#include "data/fortune.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"
#include "platform/core/system_errors.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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
    "      quando o arquivo é UTF-8 válido, senão cp1252).\n"
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
    "Formato de texto: as mensagens são separadas por uma linha que contém só \"%\"; as\n"
    "linhas em branco em volta de cada mensagem são ignoradas; fim de linha LF ou CRLF.\n"
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

// A folder stands for its fortune text files, as quelmar-frase reads it; strfile's indexes named
// one by one (by a glob such as "fortunes/*") are left out, with a word.
QStringList fortuneSources(const QStringList& given) {
    QStringList sources;
    for (const QString& path : given) {
        if (QFileInfo(path).isDir())
            sources << data::fortuneFilesIn(path);
        else if (data::isStrfileIndex(path))
            std::fputs(QStringLiteral("quelmar-colecoes: aviso: \"%1\" é um índice do strfile, não "
                                      "um arquivo de mensagens; ficou de fora.\n")
                           .arg(displayable(path))
                           .toUtf8()
                           .constData(),
                       stderr);
        else
            sources << path;
    }
    if (sources.isEmpty())
        core::refuseUsage(QStringLiteral("as fontes não têm nenhum arquivo de mensagens."));
    return sources;
}

// --codificacao may stand anywhere among the arguments; the last one given counts.
CreateArguments createArguments(const core::CommandArguments& arguments) {
    CreateArguments parsed;
    for (const core::GivenOption& option : arguments.options) {
        if (option.name != u"codificacao")
            continue;
        const auto encoding = data::encodingNamed(option.value);
        if (!encoding)
            core::refuseUsage(QStringLiteral("codificação desconhecida: \"%1\" (use utf-8, "
                                             "latin1, cp1252 ou auto).")
                                  .arg(displayable(option.value)));
        parsed.encoding = *encoding;
    }
    parsed.output = arguments.operands[0];
    parsed.table = arguments.operands[1];
    parsed.sources = fortuneSources(arguments.operands.mid(2));
    return parsed;
}

[[noreturn]] void notCreated(const CreateArguments& arguments, const QString& reason) {
    core::failCommand(QStringLiteral("a coleção \"%1\" não foi criada: %2")
                          .arg(displayable(arguments.output), reason));
}

// A source that cannot seek (a pipe) is read into memory once, within the size limit, so that
// "auto" can look at it before reading it.
std::unique_ptr<QIODevice> openSource(const CreateArguments& arguments, const QString& path) {
    const int descriptor = ::open(core::bytesOfFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        const int error = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        notCreated(arguments, QStringLiteral("não foi possível ler \"%1\": %2")
                                  .arg(displayable(path), core::systemErrorText(error)));
    }
    auto file = std::make_unique<QFile>();
    file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (S_ISDIR(status.st_mode))
        notCreated(
            arguments,
            QStringLiteral("\"%1\" é uma pasta, não um arquivo de texto").arg(displayable(path)));
    if (!file->isSequential())
        return file;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(file->read(data::largestSourceBytes + 1));
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Regular files are measured before anything is read.
void refuseLargeSources(const CreateArguments& arguments) {
    qint64 total = 0;
    for (const QString& source : arguments.sources) {
        struct stat status {};
        if (::stat(core::bytesOfFileName(source).constData(), &status) == 0 &&
            S_ISREG(status.st_mode))
            total += status.st_size;
    }
    if (total > data::largestSourceBytes)
        notCreated(arguments, data::sourcesTooLarge(total));
}

void printError(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
}

int create(const core::CommandArguments& given) {
    const CreateArguments arguments = createArguments(given);
    if (auto refusal = colecoes::outputRefusal(arguments.output, arguments.sources))
        notCreated(arguments, *refusal);
    refuseLargeSources(arguments);
    colecoes::CollectionBuilder builder(arguments.output, arguments.table);
    if (const QString problem = builder.start(); !problem.isEmpty())
        notCreated(arguments, problem);
    data::SourceReader reader([&builder](std::string_view text) { builder.add(text); });
    for (const QString& path : arguments.sources) {
        const std::unique_ptr<QIODevice> source = openSource(arguments, path);
        reader.read(*source, displayable(path), data::resolveEncoding(arguments.encoding, *source));
    }
    for (const data::SourceError& error : reader.errors())
        printError(QStringLiteral("%1:%2: %3")
                       .arg(error.source, QString::number(error.line), error.reason));
    if (reader.errorsLeftOut() > 0)
        printError(QStringLiteral("... e mais %1 problema(s).").arg(reader.errorsLeftOut()));
    if (reader.failed())
        core::failCommand(
            QStringLiteral("a coleção \"%1\" não foi criada.").arg(displayable(arguments.output)));
    if (const QString problem = builder.finish(); !problem.isEmpty())
        notCreated(arguments, problem);
    return commandLine().answer(QStringLiteral("Coleção criada: %1 (tabela %2, %3 mensagens).\n")
                                    .arg(displayable(arguments.output), arguments.table,
                                         QString::number(reader.messageCount())));
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
        if (arguments.has(u"codificacao") && arguments.operands.value(0) != u"criar")
            core::refuseUsage(QStringLiteral("--codificacao só vale com \"criar\"."));
        QCoreApplication application(argc, argv);
        return line.dispatch(arguments, {
                                            {QStringLiteral("criar"), 3, -1, create},
                                            {QStringLiteral("verificar"), 2, 2, verify},
                                            {QStringLiteral("exportar"), 2, 2, exportMessages},
                                            {QStringLiteral("opcoes"), 1, 1, createOptions},
                                            {QStringLiteral("ajuda"), 0, 0, help},
                                        });
    });
}
