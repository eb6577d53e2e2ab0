// quelmar-colecoes: builds, checks and reads back the program's data files.

#include "colecoes/collection_file.h"
#include "colecoes/fortune.h"
#include "data/collections.h"
#include "platform/core/runtime_error.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>

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
    "  criar SAIDA TABELA FONTE\n"
    "      Cria a coleção SAIDA com a tabela TABELA a partir do arquivo de texto FONTE\n"
    "      (UTF-8; mensagens separadas por uma linha só com \"%\"). As mensagens recebem\n"
    "      os números 1, 2, 3... na ordem do arquivo; no máximo 32767.\n"
    "  verificar ARQUIVO TABELA\n"
    "      Confere se a coleção segue todas as regras de que o programa depende e lista\n"
    "      cada problema encontrado (registro, valor, regra).\n"
    "  exportar ARQUIVO TABELA\n"
    "      Escreve as mensagens da coleção, em ordem de número, no formato de FONTE.\n"
    "  opcoes ARQUIVO\n"
    "      Cria o arquivo de opções com os valores iniciais (coleção Quelmar, 15 segundos,\n"
    "      temporizador ligado). Nunca substitui um arquivo existente.\n"
    "\n"
    "Saída: 0 em caso de sucesso, 1 se algo falhou ou a coleção tem problemas, 2 se o\n"
    "comando foi mal escrito.\n";

int usageError(const QString& problem) {
    print(stderr, QStringLiteral("quelmar-colecoes: %1").arg(problem));
    print(stderr, QStringLiteral("Use \"quelmar-colecoes --help\" para ver os comandos."));
    return Usage;
}

int create(const QString& output, const QString& table, const QString& sourcePath) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        print(stderr, QStringLiteral("quelmar-colecoes: não foi possível ler \"%1\": %2")
                          .arg(sourcePath, source.errorString()));
        return Failure;
    }
    const colecoes::ParsedSource parsed =
        colecoes::parseFortune(source.readAll(), data::largestCollection);
    for (const colecoes::SourceError& error : parsed.errors)
        print(
            stderr,
            QStringLiteral("%1:%2: %3").arg(sourcePath, QString::number(error.line), error.reason));
    if (!parsed.errors.empty()) {
        print(stderr,
              QStringLiteral("quelmar-colecoes: a coleção \"%1\" não foi criada.").arg(output));
        return Failure;
    }
    std::vector<QString> messages;
    for (const colecoes::SourceMessage& message : parsed.messages)
        messages.push_back(message.text);
    const QString failure = colecoes::createCollection(output, table, messages);
    if (!failure.isEmpty()) {
        print(stderr, QStringLiteral("quelmar-colecoes: a coleção \"%1\" não foi criada: %2")
                          .arg(output, failure));
        return Failure;
    }
    print(stdout, QStringLiteral("Coleção criada: %1 (tabela %2, %3 mensagens).")
                      .arg(output, table, QString::number(messages.size())));
    return Success;
}

int verify(const QString& path, const QString& table) {
    const auto violations = colecoes::verifyCollection(path, table);
    for (const colecoes::Violation& violation : violations) {
        QString where = violation.row > 0 ? QStringLiteral("registro %1").arg(violation.row)
                                          : QStringLiteral("tabela %1").arg(table);
        if (!violation.value.isEmpty())
            where += QStringLiteral(", valor %1").arg(violation.value);
        print(stdout, QStringLiteral("%1: %2: %3").arg(path, where, violation.rule));
    }
    if (!violations.empty()) {
        print(stdout, QStringLiteral("%1 problema(s) em %2.").arg(violations.size()).arg(path));
        return Failure;
    }
    print(stdout, QStringLiteral("%1: tabela %2 sem problemas.").arg(path, table));
    return Success;
}

int exportMessages(const QString& path, const QString& table) {
    try {
        const QByteArray text = colecoes::writeFortune(colecoes::readCollection(path, table));
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        return Success;
    } catch (const core::RuntimeError& error) {
        print(stderr, QStringLiteral("quelmar-colecoes: %1").arg(error.description()));
        return Failure;
    }
}

int createOptions(const QString& path) {
    const QString failure = colecoes::createOptions(path);
    if (!failure.isEmpty()) {
        print(stderr, QStringLiteral("quelmar-colecoes: %1").arg(failure));
        return Failure;
    }
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
    if (command == u"criar" && count == 3)
        return create(arguments[1], arguments[2], arguments[3]);
    if (command == u"verificar" && count == 2)
        return verify(arguments[1], arguments[2]);
    if (command == u"exportar" && count == 2)
        return exportMessages(arguments[1], arguments[2]);
    if (command == u"opcoes" && count == 1)
        return createOptions(arguments[1]);
    for (const char* known : {"criar", "verificar", "exportar", "opcoes"})
        if (command == QLatin1StringView(known))
            return usageError(
                QStringLiteral("número errado de argumentos para \"%1\".").arg(command));
    return usageError(QStringLiteral("comando desconhecido: \"%1\".").arg(command));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    return run(application.arguments().mid(1));
}
