// quelmar-colecoes: builds, checks and reads back the program's data files.

#include "colecoes/collection_file.h"
#include "colecoes/encoding.h"
#include "colecoes/fortune.h"
#include "colecoes/verification.h"
#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"
#include "platform/core/standard_streams.h"
#include "platform/core/system_errors.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
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
    "  -h, --help   mostra esta ajuda e termina\n"
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

int usageError(const QString& problem) {
    print(stderr, QStringLiteral("quelmar-colecoes: %1").arg(problem));
    print(stderr, QStringLiteral("Use \"quelmar-colecoes --help\" para ver os comandos."));
    return Usage;
}

int failure(const QString& reason) {
    print(stderr, QStringLiteral("quelmar-colecoes: %1").arg(reason));
    return Failure;
}

struct CreateArguments {
    QString output;
    QString table;
    QStringList sources;
    colecoes::Encoding encoding = colecoes::Encoding::Utf8;
};

// The option may stand anywhere among the arguments, as "--codificacao COD" or
// "--codificacao=COD".
std::optional<CreateArguments> createArguments(QStringList arguments, QString& problem) {
    CreateArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == u"--codificacao" && i + 1 < arguments.size())
            value = arguments.takeAt(i + 1);
        else if (arguments[i].startsWith(u"--codificacao="))
            value = arguments[i].mid(qsizetype(sizeof "--codificacao=") - 1);
        else if (arguments[i] == u"--codificacao")
            value = QString();
        else
            continue;
        arguments.removeAt(i--);
        const auto encoding = colecoes::encodingNamed(value);
        if (!encoding) {
            problem = QStringLiteral("codificação desconhecida: \"%1\" (use utf-8, latin1, cp1252 "
                                     "ou auto).")
                          .arg(value);
            return std::nullopt;
        }
        parsed.encoding = *encoding;
    }
    if (arguments.size() < 3) {
        problem = QStringLiteral("número errado de argumentos para \"criar\".");
        return std::nullopt;
    }
    parsed.output = arguments.takeFirst();
    parsed.table = arguments.takeFirst();
    parsed.sources = arguments;
    return parsed;
}

// A source that cannot seek (a pipe) is read into memory once, within the size limit, so that
// "auto" can look at it before reading it.
std::unique_ptr<QIODevice> openSource(const QString& path, QString& problem) {
    const int descriptor = ::open(core::bytesOfFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        problem = QStringLiteral("não foi possível ler \"%1\": %2")
                      .arg(core::displayable(path), core::systemErrorText(errno));
        if (descriptor >= 0)
            ::close(descriptor);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (S_ISDIR(status.st_mode)) {
        problem = QStringLiteral("\"%1\" é uma pasta, não um arquivo de texto")
                      .arg(core::displayable(path));
        return nullptr;
    }
    if (!file->isSequential())
        return file;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(file->read(colecoes::largestSourceBytes + 1));
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Regular files are measured before anything is read.
std::optional<QString> sizeRefusal(const QStringList& sources) {
    qint64 total = 0;
    for (const QString& source : sources)
        if (QFileInfo(source).isFile())
            total += QFileInfo(source).size();
    if (total <= colecoes::largestSourceBytes)
        return std::nullopt;
    return colecoes::sourcesTooLarge(total);
}

int create(const CreateArguments& arguments) {
    const auto notCreated = [&arguments](const QString& reason) {
        return failure(
            QStringLiteral("a coleção \"%1\" não foi criada: %2").arg(arguments.output, reason));
    };
    if (auto refusal = colecoes::outputRefusal(arguments.output, arguments.sources))
        return notCreated(*refusal);
    if (auto refusal = sizeRefusal(arguments.sources))
        return notCreated(*refusal);
    colecoes::CollectionBuilder builder(arguments.output, arguments.table);
    if (const QString problem = builder.start(); !problem.isEmpty())
        return notCreated(problem);
    colecoes::SourceReader reader([&builder](std::string_view text) { builder.add(text); });
    for (const QString& path : arguments.sources) {
        QString problem;
        const std::unique_ptr<QIODevice> source = openSource(path, problem);
        if (!source)
            return notCreated(problem);
        reader.read(*source, path, colecoes::resolveEncoding(arguments.encoding, *source));
    }
    for (const colecoes::SourceError& error : reader.errors())
        print(stderr, QStringLiteral("%1:%2: %3")
                          .arg(error.source, QString::number(error.line), error.reason));
    if (reader.errorsLeftOut() > 0)
        print(stderr, QStringLiteral("... e mais %1 problema(s).").arg(reader.errorsLeftOut()));
    if (reader.failed())
        return failure(QStringLiteral("a coleção \"%1\" não foi criada.").arg(arguments.output));
    if (const QString problem = builder.finish(); !problem.isEmpty())
        return notCreated(problem);
    print(stdout,
          QStringLiteral("Coleção criada: %1 (tabela %2, %3 mensagens).")
              .arg(arguments.output, arguments.table, QString::number(reader.messageCount())));
    return Success;
}

int verify(const QString& path, const QString& table) {
    const colecoes::Verification result = colecoes::verifyCollection(path, table);
    for (const colecoes::Violation& violation : result.violations) {
        QString where = violation.row > 0 ? QStringLiteral("registro %1").arg(violation.row)
                                          : QStringLiteral("tabela %1").arg(table);
        if (!violation.value.isEmpty())
            where += QStringLiteral(", valor %1").arg(violation.value);
        print(stdout, QStringLiteral("%1: %2: %3").arg(path, where, violation.rule));
    }
    for (const colecoes::Warning& warning : result.warnings)
        print(stdout, QStringLiteral("%1: aviso: a mensagem %2 %3")
                          .arg(path, QString::number(warning.number), warning.text));
    if (!result.violations.empty()) {
        print(stdout,
              QStringLiteral("%1 problema(s) em %2.").arg(result.violations.size()).arg(path));
        return Failure;
    }
    const QString warnings = result.warnings.empty()
                                 ? QString()
                                 : QStringLiteral(" (%1 aviso(s))").arg(result.warnings.size());
    print(stdout, QStringLiteral("%1: tabela %2 sem problemas%3.").arg(path, table, warnings));
    return Success;
}

int exportMessages(const QString& path, const QString& table) {
    core::CheckedOutput out(stdout);
    try {
        colecoes::exportCollection(path, table, out);
    } catch (const core::RuntimeError& error) {
        return failure(error.description());
    }
    if (!out.finish())
        return failure(QStringLiteral("as mensagens de \"%1\" não foram escritas por inteiro: %2.")
                           .arg(path, out.failure()));
    return Success;
}

int createOptions(const QString& path) {
    const QString problem = colecoes::createOptions(path);
    if (!problem.isEmpty())
        return failure(problem);
    print(stdout, QStringLiteral("Arquivo de opções criado: %1.").arg(path));
    return Success;
}

int run(const QStringList& arguments) {
    if (arguments.isEmpty())
        return usageError(QStringLiteral("falta o comando."));
    const QString& command = arguments.first();
    const qsizetype count = arguments.size() - 1;
    if (command == u"--help" || command == u"-h" || command == u"ajuda") {
        std::fputs(helpText, stdout);
        return Success;
    }
    if (command == u"criar") {
        QString problem;
        const auto parsed = createArguments(arguments.mid(1), problem);
        return parsed ? create(*parsed) : usageError(problem);
    }
    if (command == u"verificar" && count == 2)
        return verify(arguments[1], arguments[2]);
    if (command == u"exportar" && count == 2)
        return exportMessages(arguments[1], arguments[2]);
    if (command == u"opcoes" && count == 1)
        return createOptions(arguments[1]);
    for (const char* known : {"verificar", "exportar", "opcoes"})
        if (command == QLatin1StringView(known))
            return usageError(
                QStringLiteral("número errado de argumentos para \"%1\".").arg(command));
    return usageError(QStringLiteral("comando desconhecido: \"%1\".").arg(command));
}

} // namespace

int main(int argc, char* argv[]) {
    core::protectStandardStreams();
    QCoreApplication application(argc, argv);
    return run(application.arguments().mid(1));
}
