#include "colecoes/collection_file.h"

#include "colecoes/temporary_name.h"
#include "data/collection_index.h"
#include "data/collections.h"
#include "data/fortune.h"
#include "platform/core/file_names.h"
#include "platform/core/new_files.h"
#include "platform/core/standard_streams.h"
#include "platform/core/system_errors.h"
#include "platform/database/database_file.h"
#include "platform/database/engine.h"
#include "platform/database/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace colecoes {

namespace {

// The files SQLite keeps beside a database while writing it.
constexpr std::array journalSuffixes{"-journal", "-wal", "-shm"};

QString fileKind(mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("um link simbólico");
    if (S_ISDIR(mode))
        return QStringLiteral("uma pasta");
    if (S_ISFIFO(mode))
        return QStringLiteral("um pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("um dispositivo");
    if (S_ISSOCK(mode))
        return QStringLiteral("um socket");
    return QStringLiteral("um arquivo especial");
}

std::optional<struct stat> statOf(const QString& path, bool followLinks) {
    struct stat info {};
    const QByteArray name = core::bytesOfFileName(path);
    const int rc = followLinks ? stat(name.constData(), &info) : lstat(name.constData(), &info);
    if (rc != 0)
        return std::nullopt;
    return info;
}

// Read without taking locks or looking at journals, so that even a file another program is
// writing, or one with a journal left beside it, is only ever read.
bool holdsACollectionTable(const QString& path) {
    const QByteArray bytes = core::bytesOfFileName(path);
    db::sqlite::guardOpens();
    const int descriptor = core::openWithoutWaiting(bytes.constData(), O_RDONLY);
    std::array<char, 16> header{};
    const bool database = descriptor >= 0 &&
                          ::pread(descriptor, header.data(), header.size(), 0) == 16 &&
                          std::memcmp(header.data(), "SQLite format 3", 16) == 0;
    if (descriptor >= 0)
        ::close(descriptor);
    if (!database)
        return false;
    // By its bytes and, for a long path, through its folder's descriptor.
    const db::sqlite::SqliteName name(bytes);
    const QByteArray uri = QByteArrayLiteral("file:") +
                           QByteArray(name.name()).toPercentEncoding("/") + "?immutable=1";
    sqlite3* handle = nullptr;
    sqlite3_open_v2(uri.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, name.vfs());
    sqlite3_stmt* query = nullptr;
    // A table with both columns the program reads, whatever its name.
    const char* sql = "SELECT 1 FROM sqlite_master AS t WHERE t.type = 'table' AND "
                      "(SELECT count(*) FROM pragma_table_info(t.name) WHERE lower(name) IN "
                      "('numero', 'mensagem')) = 2";
    bool found = false;
    if (sqlite3_prepare_v2(handle, sql, -1, &query, nullptr) == SQLITE_OK)
        found = sqlite3_step(query) == SQLITE_ROW;
    sqlite3_finalize(query);
    sqlite3_close_v2(handle);
    return found;
}

} // namespace

namespace {

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The output or one of the journal files beside it that is a source under another name.
std::optional<QString> sourceInTheWay(const QString& output, const QStringList& sources) {
    QStringList names{output};
    for (const char* suffix : journalSuffixes)
        names.append(output + QLatin1StringView(suffix));
    for (const QString& name : names) {
        const std::optional<struct stat> there = statOf(name, false);
        for (const QString& source : sources) {
            const std::optional<struct stat> read = statOf(source, true);
            if (!there || !read || !sameFile(*there, *read))
                continue;
            const QString which =
                name == source ? QString() : QStringLiteral(" \"%1\", com outro nome").arg(source);
            return QStringLiteral("\"%1\" é o próprio arquivo de texto%2, uma das fontes; a "
                                  "coleção não o apagará nem substituirá")
                .arg(name, which);
        }
    }
    return std::nullopt;
}

// A journal beside no collection may belong to anything: it is not ours to delete.
std::optional<QString> strayJournal(const QString& output) {
    for (const char* suffix : journalSuffixes) {
        const QString journal = output + QLatin1StringView(suffix);
        if (statOf(journal, false))
            return QStringLiteral("\"%1\" está no caminho: o arquivo \"%2\", de que ele seria "
                                  "um diário, não existe, e a coleção só apaga o que uma coleção "
                                  "anterior deixou; apague-o você mesmo ou escolha outro nome")
                .arg(journal, output);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> outputRefusal(const QString& output, const QStringList& sources) {
    if (auto source = sourceInTheWay(output, sources))
        return source;
    const std::optional<struct stat> existing = statOf(output, false);
    if (!existing)
        return strayJournal(output);
    if (!S_ISREG(existing->st_mode))
        return QStringLiteral("\"%1\" é %2, não um arquivo comum; a coleção não o substituirá")
            .arg(output, fileKind(existing->st_mode));
    if (!holdsACollectionTable(output))
        return QStringLiteral("\"%1\" já existe e não é uma coleção (nenhuma tabela com as "
                              "colunas Numero e mensagem); só uma coleção pode ser substituída, "
                              "escolha outro nome")
            .arg(output);
    return std::nullopt;
}

// A database being built under a temporary name beside its final place.
class NewDatabase {
public:
    explicit NewDatabase(const QString& finalPath)
        : m_folder(core::bytesOfFileName(QFileInfo(finalPath).absolutePath())),
          m_name('.' + core::bytesOfFileName(QFileInfo(finalPath).fileName())) {}

    ~NewDatabase() { close(); }

    // The journal stays in memory: a build that fails is thrown away whole, never rolled back.
    QString open() {
        core::removeStaleTemporaries(m_folder, m_name, {"", "-journal"});
        if (!m_temporary.create(core::temporaryPattern(m_folder + '/' + m_name))) {
            const int error = errno;
            return QStringLiteral("não foi possível criar um arquivo em \"%1\": %2")
                .arg(core::displayable(core::fileNameFromBytes(m_folder)),
                     core::systemErrorText(error));
        }
        m_sqliteName.emplace(m_temporary.path());
        const int rc = sqlite3_open_v2(m_sqliteName->name(), &m_handle, SQLITE_OPEN_READWRITE,
                                       m_sqliteName->vfs());
        return rc == SQLITE_OK ? execute(QStringLiteral("PRAGMA journal_mode = MEMORY"))
                               : reason(rc);
    }

    QString execute(const QString& sql) {
        char* message = nullptr;
        const int rc = sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &message);
        sqlite3_free(message);
        return rc == SQLITE_OK ? QString() : reason(rc);
    }

    QString prepareInsert(const QString& table) {
        const QString sql = QStringLiteral("INSERT INTO %1 (Numero, mensagem) VALUES (?1, ?2)")
                                .arg(db::sqlite::quoteIdentifier(table));
        const int rc =
            sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &m_insert, nullptr);
        return rc == SQLITE_OK ? QString() : reason(rc);
    }

    QString insert(int number, std::string_view text) {
        sqlite3_bind_int(m_insert, 1, number);
        sqlite3_bind_text(m_insert, 2, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
        return rc == SQLITE_DONE ? QString() : reason(sqlite3_errcode(m_handle));
    }

    QString reason(int rc) const {
        return QStringLiteral("%1 (%2)").arg(db::sqlite::reasonFor(rc),
                                             QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

    // Closes the database and puts it in place of whatever is at `finalPath`, with that file's
    // permissions: a collection its owner kept private stays private.
    QString moveTo(const QString& finalPath) {
        close();
        m_sqliteName.reset();
        const std::optional<struct stat> replaced = statOf(finalPath, false);
        const mode_t mode = replaced ? replaced->st_mode & 0777 : core::newFileMode();
        if (::chmod(m_temporary.path().constData(), mode) != 0 ||
            std::rename(m_temporary.path().constData(),
                        core::bytesOfFileName(finalPath).constData()) != 0)
            return QStringLiteral("não foi possível gravar \"%1\"").arg(finalPath);
        m_temporary.keep();
        return {};
    }

private:
    void close() {
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
    }

    QByteArray m_folder;
    QByteArray m_name;
    TemporaryName m_temporary;
    std::optional<db::sqlite::SqliteName> m_sqliteName;
    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

CollectionBuilder::CollectionBuilder(const QString& path, const QString& table)
    : m_database(std::make_unique<NewDatabase>(path)), m_path(path), m_table(table) {}

CollectionBuilder::~CollectionBuilder() = default;

QString CollectionBuilder::start() {
    if (auto refusal = tableNameRefusal(m_table))
        return m_failure = *refusal;
    m_failure = m_database->open();
    if (m_failure.isEmpty())
        m_failure = m_database->execute(
            QStringLiteral("BEGIN; CREATE TABLE %1 (Numero SMALLINT NOT NULL PRIMARY KEY, "
                           "mensagem TEXT NOT NULL) WITHOUT ROWID;")
                .arg(db::sqlite::quoteIdentifier(m_table)));
    if (m_failure.isEmpty())
        m_failure = m_database->prepareInsert(m_table);
    return m_failure;
}

void CollectionBuilder::add(std::string_view text) {
    if (m_failure.isEmpty())
        m_failure = m_database->insert(++m_count, text);
}

QString CollectionBuilder::finish() {
    // Made after the rows, in one pass each, rather than kept up to date row by row.
    for (const QString& index : data::collectionIndexStatements(m_table))
        if (m_failure.isEmpty())
            m_failure = m_database->execute(index);
    if (m_failure.isEmpty())
        m_failure = m_database->execute(QStringLiteral("COMMIT"));
    // Checked again: the output may have gone since the start, and its journals with it or not.
    if (m_failure.isEmpty() && !statOf(m_path, false))
        m_failure = strayJournal(m_path).value_or(QString());
    for (const char* suffix : journalSuffixes) {
        const QString journal = m_path + QLatin1StringView(suffix);
        if (!m_failure.isEmpty() || !statOf(journal, false))
            continue;
        if (::unlink(core::bytesOfFileName(journal).constData()) != 0)
            m_failure = QStringLiteral("não foi possível apagar \"%1\", deixado pela coleção "
                                       "anterior, que estragaria a nova")
                            .arg(journal);
    }
    if (m_failure.isEmpty())
        m_failure = m_database->moveTo(m_path);
    return m_failure;
}

namespace {

// The options database, built in memory.
QByteArray initialOptions(QString& failure) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE, nullptr);
    const char* sql = "CREATE TABLE opcoes (IniCom SMALLINT, SegTem DOUBLE, ComTem BOOLEAN); "
                      "INSERT INTO opcoes (IniCom, SegTem, ComTem) VALUES (1, 15.0, 1);";
    QByteArray bytes;
    sqlite3_int64 size = 0;
    unsigned char* image = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        image = sqlite3_serialize(handle, "main", &size, 0);
    if (image)
        bytes = QByteArray(reinterpret_cast<const char*>(image), static_cast<qsizetype>(size));
    else
        failure = QStringLiteral("%1 (%2)").arg(db::sqlite::reasonFor(sqlite3_errcode(handle)),
                                                QString::fromUtf8(sqlite3_errmsg(handle)));
    sqlite3_free(image);
    sqlite3_close_v2(handle);
    return bytes;
}

} // namespace

QString createOptions(const QString& path) {
    if (const std::optional<struct stat> there = statOf(path, false)) {
        if (S_ISREG(there->st_mode))
            return QStringLiteral("o arquivo \"%1\" já existe; ele não será substituído").arg(path);
        return QStringLiteral("\"%1\" é %2; as opções não serão criadas ali")
            .arg(path, fileKind(there->st_mode));
    }
    QString failure;
    const QByteArray contents = initialOptions(failure);
    if (!failure.isEmpty())
        return failure;
    const int error =
        core::createWithoutReplacing(core::bytesOfFileName(path), contents, core::newFileMode());
    if (error == EEXIST)
        return QStringLiteral("o arquivo \"%1\" já existe; ele não será substituído").arg(path);
    if (error != 0)
        return QStringLiteral("não foi possível criar \"%1\": %2")
            .arg(path, core::systemErrorText(error));
    return {};
}

std::optional<QString> tableNameRefusal(const QString& table) {
    if (!isValidTableName(table))
        return QStringLiteral("nome de tabela inválido: \"%1\" (use letras sem acento, "
                              "algarismos e \"_\")")
            .arg(table);
    if (table.startsWith(u"sqlite_", Qt::CaseInsensitive))
        return QStringLiteral("nome de tabela reservado: \"%1\" (os nomes que começam com "
                              "\"sqlite_\" são do próprio banco de dados); escolha outro")
            .arg(table);
    return std::nullopt;
}

bool isValidTableName(const QString& table) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(table).hasMatch();
}

std::shared_ptr<db::Recordset> openInNumberOrder(const QString& path, const QString& table) {
    return db::DBEngine()
        .Workspaces(0)
        .OpenDatabase(path, db::sqlite::Access::ReadOnly)
        ->OpenRecordset(QStringLiteral("Select * From %1 Order By Numero")
                            .arg(db::sqlite::quoteIdentifier(table)));
}

void exportCollection(const QString& path, const QString& table, core::CheckedOutput& out) {
    const auto rows = openInNumberOrder(path, table);
    const int column = rows->FieldIndex(u"mensagem");
    std::string message;
    for (int row = 0; row < rows->RecordCount(); ++row, rows->MoveNext()) {
        message.clear();
        if (column >= 0 && rows->TypeAt(row, column) == db::Variant::Type::Text)
            data::appendMessage(message, rows->TextBytesAt(row, column));
        else
            data::appendMessage(message, data::currentMessageText(*rows).toUtf8().toStdString());
        out.write(message);
    }
}

} // namespace colecoes
