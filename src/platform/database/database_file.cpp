#include "platform/database/database_file.h"

#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"
#include "platform/core/system_errors.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db::sqlite {

using core::ErrorCode;

namespace {

constexpr char descriptorFolders[] = "/proc/self/fd/";

// SQLite's own VFS, except that a name under /proc/self/fd/ is taken as it is: SQLite follows
// every link in a name, and that one leads back to the long path it stands in for.
int fullPathnameKeepingDescriptors(sqlite3_vfs*, const char* name, int size, char* out) {
    if (std::strncmp(name, descriptorFolders, sizeof descriptorFolders - 1) == 0) {
        const std::size_t length = std::strlen(name);
        if (length >= static_cast<std::size_t>(size))
            return SQLITE_CANTOPEN;
        std::memcpy(out, name, length + 1);
        return SQLITE_OK;
    }
    sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
    return system->xFullPathname(system, name, size, out);
}

const char* descriptorVfs() {
    // SQLite keeps a pointer to its VFSs for as long as the process runs.
    static sqlite3_vfs vfs = [] {
        sqlite3_vfs copy = *sqlite3_vfs_find(nullptr);
        copy.zName = "quelmar-descritores";
        copy.pNext = nullptr;
        copy.xFullPathname = fullPathnameKeepingDescriptors;
        return copy;
    }();
    [[maybe_unused]] static const int registered = sqlite3_vfs_register(&vfs, 0);
    return vfs.zName;
}

// Why stat() could not reach the file, in words.
[[noreturn]] void unreachable(const QString& path, const QByteArray& bytes, int error) {
    struct stat link {};
    switch (error) {
    case ENOENT:
        if (::lstat(bytes.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            core::raise(ErrorCode::FileNotFound,
                        QStringLiteral("O arquivo \"%1\" é um link simbólico para \"%2\", que não "
                                       "existe.")
                            .arg(path, core::linkTarget(bytes)));
        core::raise(ErrorCode::FileNotFound,
                    QStringLiteral("O arquivo \"%1\" não foi encontrado.").arg(path));
    case ELOOP:
        core::raise(ErrorCode::FileNotFound,
                    QStringLiteral("O arquivo \"%1\" é um link simbólico que leva, de link em "
                                   "link, de volta a si mesmo, sem nunca chegar a um arquivo.")
                        .arg(path));
    case ENOTDIR:
        core::raise(ErrorCode::FileNotFound,
                    QStringLiteral("O arquivo \"%1\" não foi encontrado: uma parte do caminho "
                                   "não é uma pasta.")
                        .arg(path));
    case EACCES:
        core::raise(ErrorCode::DatabaseError,
                    QStringLiteral("Não foi possível abrir \"%1\": o programa não tem permissão "
                                   "para entrar numa das pastas do caminho.")
                        .arg(path));
    case ENAMETOOLONG:
        core::raise(ErrorCode::DatabaseError,
                    QStringLiteral("Não foi possível abrir \"%1\": o caminho é mais longo do que "
                                   "o sistema aceita.")
                        .arg(path));
    default:
        core::raise(ErrorCode::DatabaseError, QStringLiteral("Não foi possível abrir \"%1\": %2.")
                                                  .arg(path, core::systemErrorText(error)));
    }
}

QString specialKind(mode_t mode) {
    if (S_ISFIFO(mode))
        return QStringLiteral("um FIFO (um canal entre programas)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("um dispositivo");
    if (S_ISSOCK(mode))
        return QStringLiteral("um socket");
    return QStringLiteral("um arquivo especial");
}

void refuseUnlessPlain(const QString& path, mode_t mode) {
    if (S_ISDIR(mode))
        core::raise(ErrorCode::NotADatabase,
                    QStringLiteral("\"%1\" é uma pasta, não um banco de dados.").arg(path));
    if (!S_ISREG(mode))
        core::raise(ErrorCode::NotADatabase,
                    QStringLiteral("\"%1\" não é um arquivo comum, e sim %2: não é um banco de "
                                   "dados.")
                        .arg(path, specialKind(mode)));
}

// SQLite opens the database, its journals and their folder with open(2) itself. It also seeds
// its random numbers from this device, by this name.
int openForSqlite(const char* name, int flags, int mode) {
    if (std::strcmp(name, "/dev/urandom") == 0)
        return ::open(name, flags | O_CLOEXEC, mode);
    return core::openWithoutWaiting(name, flags, mode);
}

// Bytes 18 and 19 of a database's header: 2 in WAL mode, 1 otherwise.
constexpr std::size_t headerBytes = 20;
constexpr unsigned char writeAheadLogVersion = 2;

} // namespace

void guardOpens() {
    [[maybe_unused]] static const int guarded = [] {
        sqlite3_vfs* system = sqlite3_vfs_find("unix");
        return system != nullptr && system->iVersion >= 3
                   ? system->xSetSystemCall(system, "open",
                                            reinterpret_cast<sqlite3_syscall_ptr>(&openForSqlite))
                   : SQLITE_NOTFOUND;
    }();
}

QString specialFileNear(const QString& path) {
    const QByteArray bytes = core::bytesOfFileName(path);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        struct stat file {};
        if (::stat((bytes + suffix).constData(), &file) == 0 && !S_ISREG(file.st_mode) &&
            !S_ISDIR(file.st_mode))
            return QStringLiteral("\"%1%2\" não é um arquivo comum, e sim %3")
                .arg(path, QLatin1StringView(suffix), specialKind(file.st_mode));
    }
    return {};
}

DatabaseFile::DatabaseFile(const QString& path)
    : m_path(path), m_bytes(core::bytesOfFileName(path)) {
    guardOpens();
    struct stat file {};
    if (::stat(m_bytes.constData(), &file) != 0)
        unreachable(path, m_bytes, errno);
    refuseUnlessPlain(path, file.st_mode);
    judgeContent();
    m_name.emplace(m_bytes);
}

// Judged on the opened file: the name may lead elsewhere by now.
void DatabaseFile::judgeContent() {
    const int descriptor = core::openWithoutWaiting(m_bytes.constData(), O_RDONLY);
    if (descriptor < 0 && errno == EACCES)
        core::raise(ErrorCode::DatabaseError,
                    QStringLiteral("Não foi possível abrir \"%1\": o programa não tem "
                                   "permissão para ler o arquivo.")
                        .arg(m_path));
    if (descriptor < 0 && errno == ENXIO)
        core::raise(
            ErrorCode::NotADatabase,
            QStringLiteral("\"%1\" não é um arquivo comum: não é um banco de dados.").arg(m_path));
    if (descriptor < 0)
        unreachable(m_path, m_bytes, errno);
    struct stat file {};
    std::array<unsigned char, headerBytes> header{};
    const bool read = ::fstat(descriptor, &file) == 0 && !S_ISDIR(file.st_mode) &&
                      ::pread(descriptor, header.data(), header.size(), 0) == headerBytes;
    ::close(descriptor);
    refuseUnlessPlain(m_path, file.st_mode);
    // SQLite takes an empty file for an empty database; for us it is a damaged delivery.
    if (file.st_size == 0)
        core::raise(
            ErrorCode::NotADatabase,
            QStringLiteral("O arquivo \"%1\" está vazio: não é um banco de dados.").arg(m_path));
    m_writeAheadLog =
        read && (header[18] == writeAheadLogVersion || header[19] == writeAheadLogVersion);
}

QByteArray DatabaseFile::asItIs() const {
    struct stat log {};
    if (::stat((m_bytes + "-wal").constData(), &log) == 0 && log.st_size > 0)
        core::raise(ErrorCode::DatabaseError,
                    QStringLiteral("Não foi possível ler \"%1\": o arquivo está no modo WAL, e "
                                   "as suas últimas gravações ainda estão em \"%1-wal\", ao "
                                   "lado dele; só quem grava no arquivo as põe nele, e esta "
                                   "leitura não grava nada.")
                        .arg(m_path));
    // SQLite takes a name in a URI as %-escapes; anything else may stay as it is.
    return "file:" + QByteArray(m_name->name()).toPercentEncoding("/") + "?immutable=1";
}

DatabaseFile::~DatabaseFile() = default;

SqliteName::~SqliteName() {
    if (m_folder >= 0)
        ::close(m_folder);
}

// SQLite follows every link of a name into a buffer of a fixed size (512 bytes on Debian) and
// names the journal after the result; a longer path reaches it through a descriptor of the
// file's folder, whose name is short. The descriptor stays open for as long as the file is.
SqliteName::SqliteName(const QByteArray& bytes) : m_name(bytes) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(bytes.constData(), nullptr),
                                                           &std::free);
    const auto longestName =
        static_cast<std::size_t>(sqlite3_vfs_find(nullptr)->mxPathname) - sizeof "-journal";
    if (!real || std::strlen(real.get()) < longestName)
        return;
    const char* lastSlash = std::strrchr(real.get(), '/');
    const QByteArray folder(real.get(), std::max<qsizetype>(lastSlash - real.get(), 1));
    m_folder = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return;
    m_name = descriptorFolders + QByteArray::number(m_folder) + lastSlash;
    m_vfs = descriptorVfs();
}

qint64 DatabaseFile::size() const {
    struct stat file {};
    return ::stat(m_bytes.constData(), &file) == 0 ? file.st_size : 0;
}

} // namespace db::sqlite
