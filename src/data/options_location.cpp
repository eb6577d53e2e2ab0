#include "data/options_location.h"

#include "data/collections.h"
#include "data/options.h"
#include "platform/core/file_names.h"
#include "platform/core/new_files.h"
#include "platform/core/runtime_error.h"
#include "platform/core/system_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace data {

namespace {

constexpr char16_t userFolderName[] = u"/quelmar-de-orivela";

// As the real user, not as whoever the process may have become: root can write anywhere, and
// a directory root owns counts as shared for everyone else. Nothing under /usr is ever written
// while a program runs, not even by root: the package manager owns those files.
bool writableDirectory(const QString& directory) {
    const QString clean = QDir::cleanPath(directory);
    if (clean == u"/usr" || clean.startsWith(u"/usr/"))
        return false;
    return ::access(core::bytesOfFileName(directory).constData(), W_OK | X_OK) == 0;
}

// One of the XDG base folders: the variable's value when it is an absolute path, otherwise its
// default below the home folder. Names from the environment keep their bytes, like every file
// name the program handles.
QString baseFolder(const char* variable, const char16_t* belowHome) {
    const QString configured = core::fileNameFromBytes(qgetenv(variable));
    if (QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    const QByteArray home = qgetenv("HOME");
    return (home.isEmpty() ? QDir::homePath() : core::fileNameFromBytes(home)) +
           QString::fromUtf16(belowHome);
}

bool fileExists(const QString& path) {
    return ::access(core::bytesOfFileName(path).constData(), F_OK) == 0;
}

QString systemReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("o programa não tem permissão para escrever ali");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("o disco está cheio");
    case EROFS:
        return QStringLiteral("o disco só pode ser lido");
    case ENXIO:
        return QStringLiteral("não é um arquivo comum, e sim um FIFO, um dispositivo ou um socket");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("no caminho há um arquivo onde deveria haver uma pasta");
    default:
        return core::systemErrorText(error);
    }
}

[[noreturn]] void copyFailed(const OptionsLocation& location, const QString& reason) {
    core::raise(core::ErrorCode::WriteFailed,
                QStringLiteral("Não foi possível criar o arquivo de opções \"%1\", a cópia das "
                               "opções iniciais \"%2\" que guarda as suas escolhas: %3.")
                    .arg(location.writeTo, location.readFrom, reason));
}

// mkdir -p, each new folder private to the user as the XDG rules ask; 0 or the errno of the
// step that failed.
int makeFolders(const QString& folder) {
    const QByteArray path = core::bytesOfFileName(QDir::cleanPath(folder));
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray step = end < 0 ? path : path.left(end);
        struct stat info {};
        if (::mkdir(step.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (::stat(step.constData(), &info) != 0)
            return errno;
        if (!S_ISDIR(info.st_mode))
            return ENOTDIR;
        if (end < 0)
            return 0;
    }
}

} // namespace

QString userOptionsDirectory() {
    return baseFolder("XDG_CONFIG_HOME", u"/.config") + QString::fromUtf16(userFolderName);
}

QString userCollectionsDirectory() {
    return baseFolder("XDG_DATA_HOME", u"/.local/share") + QString::fromUtf16(userFolderName);
}

QString userCollectionPath(const CollectionSource& source) {
    return userCollectionsDirectory() + QString::fromUtf16(source.fileName);
}

CollectionLocation locateCollection(const QString& programDirectory,
                                    const CollectionSource& source) {
    const QString own = userCollectionPath(source);
    if (fileExists(own))
        return {own, true};
    return {collectionPath(programDirectory, source), false};
}

QString makeUserFolders(const QString& folder) {
    const int error = makeFolders(folder);
    return error == 0 ? QString() : systemReason(error);
}

OptionsLocation locateOptions(const QString& programDirectory) {
    const QString beside = optionsPath(programDirectory);
    if (writableDirectory(programDirectory))
        return {beside, beside};
    const QString own = userOptionsDirectory() + QString::fromUtf16(optionsFileName);
    return {fileExists(own) ? own : beside, own};
}

void makeUserOptions(const OptionsLocation& location) {
    // What a start stopped in the middle of the copy left there.
    const QString own = QString::fromUtf16(optionsFileName);
    if (location.writeTo == userOptionsDirectory() + own)
        core::removeStaleTemporaries(core::bytesOfFileName(userOptionsDirectory()),
                                     own.sliced(1).toUtf8(), {""});
    if (!location.needsUserCopy())
        return;
    // Opened by its bytes: QFile would lose a byte of the name that is not UTF-8.
    const int source =
        core::openWithoutWaiting(core::bytesOfFileName(location.readFrom).constData(), O_RDONLY);
    QFile installed;
    if (source < 0 || !installed.open(source, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        copyFailed(location, QStringLiteral("não foi possível ler \"%1\" (%2)")
                                 .arg(location.readFrom, systemReason(errno)));
    const QByteArray contents = installed.readAll();
    if (const QString reason = makeUserFolders(QFileInfo(location.writeTo).path());
        !reason.isEmpty())
        copyFailed(location, reason);
    // A file that already has the name wins: it is another start's copy, or the user's own file.
    const int error =
        core::createWithoutReplacing(core::bytesOfFileName(location.writeTo), contents, 0600);
    if (error != 0 && error != EEXIST)
        copyFailed(location, systemReason(error));
}

} // namespace data
