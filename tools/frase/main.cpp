// quelmar-frase: a message of the collections in the terminal, a panel or a notification.

#include "data/collections.h"
#include "data/options.h"
#include "data/options_location.h"
#include "frase/notification.h"
#include "frase/request.h"
#include "frase/selection.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/database/engine.h"

#include <QCoreApplication>

namespace {

using namespace Qt::StringLiterals;

const char* const helpText =
    "Uso: quelmar-frase [OPÇÕES]\n"
    "\n"
    "Mostra uma mensagem do Quelmar de Orivela: ao acaso, pelo número, por uma palavra ou a\n"
    "mensagem do dia. Lê as coleções e as opções do programa, sem nunca gravar nada.\n"
    "\n"
    "  -c, --colecao quelmar|tarvenas   a coleção (senão, a coleção inicial das opções)\n"
    "  -n, --numero N                   a mensagem de número N\n"
    "  -b, --buscar PALAVRA             todas as mensagens com a palavra, em ordem de número,\n"
    "                                   separadas por linhas com \"%\"; como na janela\n"
    "                                   Localizar: a palavra entre dois espaços, sem contar\n"
    "                                   maiúsculas e acentos, \"*\" vale por qualquer trecho\n"
    "  -d, --do-dia                     a mensagem do dia: a mesma o dia todo\n"
    "      --data AAAA-MM-DD            com -d, a mensagem desse dia\n"
    "  -s, --curtas                     só mensagens de até 160 caracteres\n"
    "  -l, --longas                     só mensagens de mais de 160 caracteres\n"
    "      --max N                      só mensagens de até N caracteres\n"
    "  -q, --so-texto                   só o texto, sem a linha com a coleção e o número\n"
    "  -t, --notificar                  mostra a mensagem como notificação da área de\n"
    "                                   trabalho em vez de escrevê-la\n"
    "  -h, --help                       mostra esta ajuda\n"
    "  -V, --version                    mostra a versão\n"
    "\n"
    "Exemplos:\n"
    "  quelmar-frase                    uma mensagem ao acaso\n"
    "  quelmar-frase -d -t              a mensagem do dia como notificação\n"
    "  quelmar-frase -q -s              uma mensagem curta, só o texto (para um painel)\n"
    "  quelmar-frase -b coração         as mensagens com a palavra \"coração\"\n"
    "\n"
    "Saída: 0 quando mostrou a mensagem, 1 quando nenhuma mensagem atende ao pedido ou algo\n"
    "falhou, 2 quando as opções estão erradas.\n";

// The only place the options are read: the start-up collection they name, from the file the
// program itself would read for this user (its own copy on a shared install, once it exists).
const data::CollectionSource& startupCollection(const QString& programDirectory) {
    const auto options = db::DBEngine()
                             .OpenDatabase(data::locateOptions(programDirectory).readFrom,
                                           db::sqlite::Access::ReadOnly)
                             ->OpenRecordset(QString::fromUtf16(data::optionsTable));
    options->MoveFirst();
    return data::startsWithFirstCollection(*options) ? data::quelmarCollection
                                                     : data::tarvenasCollection;
}

QString attribution(const data::CollectionSource& source, std::int16_t number) {
    return u"— %1, nº %2"_s.arg(QString::fromUtf16(source.title)).arg(number);
}

int write(const frase::Request& request, const data::CollectionSource& source,
          const frase::Selection& selection) {
    core::CheckedOutput out(stdout);
    bool first = true;
    for (const frase::Message& message : selection.messages) {
        if (!first)
            out.write(std::string_view("%\n"));
        first = false;
        out.write(message.text + u'\n');
        if (!request.textOnly)
            out.write(attribution(source, message.number) + u'\n');
    }
    return frase::commandLine().finish(out);
}

int show(const frase::Request& request, const QString& programDirectory) {
    const data::CollectionSource& source =
        request.collection ? *request.collection : startupCollection(programDirectory);
    const auto database = db::DBEngine().OpenDatabase(
        data::collectionPath(programDirectory, source), db::sqlite::Access::ReadOnly);
    const auto rows = data::openRows(*database, source);
    const std::int16_t count = data::countCollection(*rows, source);
    const frase::Selection selection = frase::selectMessages(request, source, *rows, count);
    if (selection.messages.empty())
        core::failCommand(selection.nothing);
    if (!request.notify)
        return write(request, source, selection);
    const frase::Message& message = selection.messages.front();
    const QString failure =
        frase::notify(u"%1 — nº %2"_s.arg(QString::fromUtf16(source.title)).arg(message.number),
                      message.text, QStringLiteral(QUELMAR_APP_ID));
    if (!failure.isEmpty())
        core::failCommand(failure + u'.');
    return core::Success;
}

} // namespace

int main(int argc, char* argv[]) {
    core::protectStandardStreams();
    const core::CommandLine& line = frase::commandLine();
    return line.run([&]() {
        const core::CommandArguments arguments = line.read(line.argumentsOf(argc, argv));
        if (arguments.has(u"help"))
            return line.answer(QString::fromUtf8(helpText));
        if (arguments.has(u"version"))
            return line.answer(u"quelmar-frase (Quelmar de Orivela) " QUELMAR_VERSION "\n"_s);
        const frase::Request request = frase::requestFrom(arguments);
        // Qt's own answer is empty when the path is not valid UTF-8.
        const QString programDirectory = core::runningProgramDirectory();
        QCoreApplication application(argc, argv);
        return show(request, programDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                                        : programDirectory);
    });
}
