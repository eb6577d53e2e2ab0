#include "colecoes/installation.h"

#include "colecoes/building.h"
#include "colecoes/collection_file.h"
#include "data/options_location.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"
#include "platform/core/system_errors.h"
#include "platform/database/engine.h"
#include "platform/database/sqlite.h"

#include <QCoreApplication>
#include <array>
#include <cerrno>
#include <unistd.h>

namespace colecoes {

namespace {

constexpr std::array collections{&data::quelmarCollection, &data::tarvenasCollection};

QString title(const data::CollectionSource& source) {
    return QString::fromUtf16(source.title);
}

QString shown(const QString& path) {
    return core::displayable(path);
}

QString programDirectory() {
    const QString known = core::runningProgramDirectory();
    return known.isEmpty() ? QCoreApplication::applicationDirPath() : known;
}

// The program's own steps and checks, on a read-only open.
int messageCount(const QString& path, const data::CollectionSource& source) {
    const auto database = db::DBEngine().Workspaces(0).OpenDatabase(path, db::sqlite::Access::ReadOnly);
    return data::countCollection(*data::openRows(*database, source), source);
}

} // namespace

const data::CollectionSource* collectionNamed(const QString& name) {
    for (const data::CollectionSource* source : collections)
        if (name == QString::fromUtf16(source->name))
            return source;
    return nullptr;
}

QString installCollection(const data::CollectionSource& source, const QStringList& sources,
                          data::Encoding encoding) {
    const QString folder = data::userCollectionsDirectory();
    if (const QString reason = data::makeUserFolders(folder); !reason.isEmpty())
        core::failCommand(QStringLiteral("a coleção %1 não foi instalada: não foi possível criar "
                                         "a pasta \"%2\": %3.")
                              .arg(title(source), shown(folder), reason));
    const QString path = data::userCollectionPath(source);
    // Whatever stands there was not put there by this command: it goes only by the user's choice.
    if (outputRefusal(path, {}))
        core::failCommand(QStringLiteral("a coleção %1 não foi instalada: \"%2\" não é uma coleção "
                                         "que possa ser substituída. Para removê-lo: "
                                         "quelmar-colecoes restaurar %3")
                              .arg(title(source), shown(path), QString::fromUtf16(source.name)));
    const int count = buildCollection({path, QString::fromUtf16(source.table), sources, encoding});
    return QStringLiteral("Coleção %1 instalada: %2 (%3 mensagens).\nO programa e o quelmar-frase "
                          "a usam a partir da próxima vez que começarem. Para voltar à "
                          "instalada: quelmar-colecoes restaurar %4\n")
        .arg(title(source), shown(path), QString::number(count), QString::fromUtf16(source.name));
}

QString restoreCollection(const data::CollectionSource& source) {
    const QString path = data::userCollectionPath(source);
    if (::unlink(core::bytesOfFileName(path).constData()) == 0)
        return QStringLiteral("Removida a sua coleção %1: %2. O programa volta a usar a instalada "
                              "a partir da próxima vez que começar.\n")
            .arg(title(source), shown(path));
    if (errno == ENOENT)
        return QStringLiteral("Nada a remover: não há coleção %1 sua (%2 não existe); o programa "
                              "já usa a instalada.\n")
            .arg(title(source), shown(path));
    core::failCommand(QStringLiteral("não foi possível remover \"%1\": %2.")
                          .arg(shown(path), core::systemErrorText(errno)));
}

CollectionsShown showCollections() {
    const QString directory = programDirectory();
    CollectionsShown result;
    for (const data::CollectionSource* source : collections) {
        const data::CollectionLocation location = data::locateCollection(directory, *source);
        const QString whose = location.own ? QStringLiteral("a sua própria, no lugar da instalada")
                                           : QStringLiteral("a instalada");
        QString state;
        try {
            state = QStringLiteral("%1 mensagens").arg(messageCount(location.path, *source));
        } catch (const core::RuntimeError& error) {
            state = QStringLiteral("não pode ser usada (erro %1): %2")
                        .arg(error.number())
                        .arg(error.description().simplified());
            result.allUsable = false;
        }
        result.text += QStringLiteral("%1 (%2): %3 (%4), %5\n")
                           .arg(QString::fromUtf16(source->name), title(*source),
                                shown(location.path), whose, state);
    }
    return result;
}

} // namespace colecoes
