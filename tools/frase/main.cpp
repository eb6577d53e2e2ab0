// quelmar-frase: a message of the collections in the terminal, a panel or a notification.

#include "data/collections.h"
#include "data/options.h"
#include "data/options_location.h"
#include "frase/card_output.h"
#include "frase/notification_module.h"
#include "frase/request.h"
#include "frase/selection.h"
#include "frase/sources.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/database/engine.h"

#include <QCoreApplication>

namespace {

using namespace Qt::StringLiterals;

const char* const helpText =
    "Uso: quelmar-frase [OPÇÕES] [ARQUIVO|PASTA|quelmar|tarvenas]...\n"
    "\n"
    "Mostra uma mensagem do Quelmar de Orivela: ao acaso, pelo número, por uma palavra ou a\n"
    "mensagem do dia. Lê as coleções e as opções do programa, sem nunca gravar nada.\n"
    "\n"
    "As mensagens vêm das fontes dadas depois das opções: quelmar e tarvenas (as coleções\n"
    "do programa), uma coleção em outro arquivo (a tabela com Numero e mensagem), um arquivo\n"
    "de texto do fortune ou uma pasta deles. Com várias, o sorteio dá a mesma chance a cada\n"
    "mensagem de todas, e -b, -s, -l, --max e -d valem para todas; -n pede uma fonte só.\n"
    "\n"
    "  -c, --colecao quelmar|tarvenas   a coleção (sem fontes, a coleção inicial das opções)\n"
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
    "      --imagem ARQUIVO.png         grava a mensagem como um cartão (uma imagem PNG) em\n"
    "                                   vez de escrevê-la; \"-\" manda o PNG para a saída;\n"
    "                                   com -b, a primeira mensagem achada\n"
    "      --tamanho LxA                o tamanho do cartão em pixels, de 320x320 a\n"
    "                                   4096x4096 (senão, 1080x1080)\n"
    "  -h, --help                       mostra esta ajuda\n"
    "  -V, --version                    mostra a versão\n"
    "\n"
    "Exemplos:\n"
    "  quelmar-frase                    uma mensagem ao acaso\n"
    "  quelmar-frase -d -t              a mensagem do dia como notificação\n"
    "  quelmar-frase -q -s              uma mensagem curta, só o texto (para um painel)\n"
    "  quelmar-frase -b coração         as mensagens com a palavra \"coração\"\n"
    "  quelmar-frase /usr/share/games/fortunes/brasil quelmar\n"
    "                                   uma mensagem das fortunas em português ou do Quelmar\n"
    "  quelmar-frase -d --imagem bom-dia.png   o cartão da mensagem do dia\n"
    "\n"
    "Saída: 0 quando mostrou a mensagem, 1 quando nenhuma mensagem atende ao pedido ou algo\n"
    "falhou, 2 quando as opções estão erradas.\n";

// The only place the options are read: the start-up collection they name, from the file the
// program itself would read for this user (its own copy on a shared install, once it exists).
const data::CollectionSource& startupCollection(const QString& programDirectory) {
    const auto options = db::DBEngine()
                             .Workspaces(0)
                             .OpenDatabase(data::locateOptions(programDirectory).readFrom,
                                           db::sqlite::Access::ReadOnly)
                             ->OpenRecordset(QString::fromUtf16(data::optionsTable));
    options->MoveFirst();
    return data::startsWithFirstCollection(*options) ? data::quelmarCollection
                                                     : data::tarvenasCollection;
}

QString attribution(const frase::Message& message) {
    return u"— %1, nº %2"_s.arg(message.source->name()).arg(message.number);
}

int write(const frase::Request& request, const frase::Selection& selection) {
    core::CheckedOutput out(stdout);
    bool first = true;
    for (const frase::Message& message : selection.messages) {
        if (!first)
            out.write(std::string_view("%\n"));
        first = false;
        out.write(message.text + u'\n');
        if (!request.textOnly)
            out.write(attribution(message) + u'\n');
    }
    return frase::commandLine().finish(out);
}

// The card of the first message chosen, written where the request says: the program's banner
// on top for our two collections, the file's name for any other source.
int writeCard(const frase::Request& request, const frase::Message& message,
              const frase::CardModule& cards) {
    const QString title = message.source->name();
    const card::CardContent content{
        .message = message.text,
        .attribution = request.textOnly ? QString() : attribution(message),
        .title = title,
        .banner = title == QString::fromUtf16(data::quelmarCollection.title) ||
                  title == QString::fromUtf16(data::tarvenasCollection.title),
    };
    const QByteArray png = cards.draw(content, request.cardSize);
    if (*request.cardFile != u"-") {
        frase::writeReplacing(png, *request.cardFile);
        return core::Success;
    }
    core::CheckedOutput out(stdout);
    out.write(std::string_view(png.constData(), png.size()));
    return frase::commandLine().finish(out);
}

// -c's collection first, then every source named after the options; with neither, the start-up
// collection of the options.
frase::Sources sourcesOf(const frase::Request& request, const QString& programDirectory) {
    frase::Sources sources;
    if (request.collection || request.sources.isEmpty())
        sources.push_back(frase::collection(
            programDirectory,
            request.collection ? *request.collection : startupCollection(programDirectory)));
    for (const QString& argument : request.sources)
        for (auto& source : frase::sourcesNamed(programDirectory, argument))
            sources.push_back(std::move(source));
    return sources;
}

int show(const frase::Request& request, const QString& programDirectory,
         const frase::CardModule& cards) {
    const frase::Sources sources = sourcesOf(request, programDirectory);
    if (request.choice == frase::Request::Choice::Number && sources.size() > 1)
        core::refuseUsage(
            u"-n escolhe uma mensagem de uma fonte só, e há %1."_s.arg(sources.size()));
    const frase::Selection selection = frase::selectMessages(request, sources);
    if (selection.messages.empty())
        core::failCommand(selection.nothing);
    if (request.cardFile)
        return writeCard(request, selection.messages.front(), cards);
    if (!request.notify)
        return write(request, selection);
    const frase::Message& message = selection.messages.front();
    const QString failure = frase::notifyThroughModule(
        programDirectory, u"%1 — nº %2"_s.arg(message.source->name()).arg(message.number),
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
        // A card loads its drawing code, and an application that draws without a display.
        const frase::CardModule cards(request.cardFile.has_value(), programDirectory);
        const std::unique_ptr<QCoreApplication> application = cards.application(argc, argv);
        return show(request,
                    programDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                               : programDirectory,
                    cards);
    });
}
