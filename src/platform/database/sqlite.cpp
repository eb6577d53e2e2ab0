#include "platform/database/sqlite.h"

#include "platform/core/runtime_error.h"
#include "platform/database/database_file.h"

#include <cerrno>
#include <sqlite3.h>

namespace db::sqlite {

using core::ErrorCode;

namespace {

constexpr int lockWaitMilliseconds = 2000;
// Reading the largest collection takes a small fraction of this on any machine; a view or a
// trigger that never ends, or a file far larger than any collection, gets near it.
constexpr std::chrono::seconds statementTimeLimit{3};
// How many of SQLite's steps run between two looks at the clock.
constexpr int stepsBetweenClockChecks = 10000;

ErrorCode codeFor(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ErrorCode::FileLocked;
    case SQLITE_NOTADB:
        return ErrorCode::NotADatabase;
    case SQLITE_CORRUPT:
        return ErrorCode::DatabaseDamaged;
    default:
        return ErrorCode::DatabaseError;
    }
}

// "no such table: X" -> "X"
QString nameAfterColon(const char* message) {
    const QString text = QString::fromUtf8(message);
    return text.mid(text.indexOf(u':') + 1).trimmed();
}

// Which rule of the file refused a write; SQLite's message adds the rule or the column. The
// rules a write of the options row can break; any other gets reasonFor's general words.
QString constraintReason(int rc, const char* message) {
    switch (rc) {
    case SQLITE_CONSTRAINT_CHECK:
        return QStringLiteral("uma regra da tabela (CHECK %1) não aceita os valores novos")
            .arg(nameAfterColon(message));
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return QStringLiteral("o valor de %1 já existe em outro registro, e a tabela não aceita "
                              "repetições")
            .arg(nameAfterColon(message));
    case SQLITE_CONSTRAINT_TRIGGER:
        return QStringLiteral("um gatilho (TRIGGER) do arquivo recusou a gravação, dizendo "
                              "\"%1\"")
            .arg(QString::fromUtf8(message));
    default:
        return reasonFor(rc);
    }
}

// What happened, not a guess at why: the file may hold a view without end or simply be huge.
QString timeLimitCause(qint64 fileSize) {
    return QStringLiteral("a leitura levou mais de %1 segundos e foi interrompida (o arquivo tem "
                          "%2 bytes)")
        .arg(statementTimeLimit.count())
        .arg(fileSize);
}

} // namespace

TimeLimitExceeded::TimeLimitExceeded(const QString& description, QString cause)
    : RuntimeError(ErrorCode::DatabaseError, description), m_cause(std::move(cause)) {}

QString reasonFor(int rc) {
    switch (rc) {
    case SQLITE_READONLY_ROLLBACK:
        return QStringLiteral("uma gravação foi interrompida e o seu diário (o arquivo terminado "
                              "em \"-journal\" ao lado) ainda precisa ser desfeito, o que uma "
                              "leitura não faz");
    // The file under the open connection is gone from its place: every write would go to a
    // file nobody sees any more, so SQLite refuses them.
    case SQLITE_READONLY_DBMOVED:
        return QStringLiteral("o arquivo foi apagado, movido ou substituído por outro depois que "
                              "o programa o abriu; feche e abra o programa de novo");
    // SQLite writes a journal beside the file before it changes the file.
    case SQLITE_READONLY_DIRECTORY:
        return QStringLiteral("a pasta do arquivo só pode ser lida, não gravada, e para gravar o "
                              "programa precisa criar nela um arquivo temporário (o diário da "
                              "gravação) ao lado deste");
    default:
        break;
    }
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("o arquivo está bloqueado por outro programa");
    case SQLITE_NOTADB:
        return QStringLiteral("o arquivo não é um banco de dados");
    case SQLITE_CORRUPT:
        return QStringLiteral("o banco de dados está danificado");
    case SQLITE_READONLY:
        return QStringLiteral("o arquivo só pode ser lido, não gravado");
    case SQLITE_FULL:
        return QStringLiteral("o disco está cheio");
    case SQLITE_IOERR:
        return QStringLiteral("erro de leitura ou gravação no disco");
    case SQLITE_CANTOPEN:
        return QStringLiteral("não foi possível abrir o arquivo");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("acesso negado");
    case SQLITE_NOMEM:
        return QStringLiteral("memória insuficiente");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("uma restrição da tabela não aceita os valores novos");
    case SQLITE_INTERRUPT:
        return QStringLiteral("a operação foi interrompida");
    default:
        return QStringLiteral("o SQLite recusou a operação (%1)")
            .arg(QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

QString quoteIdentifier(QStringView name) {
    QString quoted = name.toString();
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

Connection::Connection(sqlite3* handle, QString path, std::unique_ptr<DatabaseFile> file)
    : m_handle(handle), m_path(std::move(path)), m_file(std::move(file)),
      m_runningSince(std::chrono::steady_clock::now()) {}

std::shared_ptr<Connection> Connection::open(const QString& path, Access access) {
    auto file = std::make_unique<DatabaseFile>(path);
    sqlite3* handle = nullptr;
    // A connection is only ever used by the thread that opened it, so SQLite's own lock on
    // every call buys nothing; it was a third of the time spent reading a collection.
    int mode = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    // Even a reader of a file in WAL mode would create the two files SQLite keeps beside it.
    const bool asItIs = access == Access::ReadOnly && file->writeAheadLog();
    const QByteArray name = asItIs ? file->asItIs() : QByteArray(file->sqliteName());
    mode |= asItIs ? SQLITE_OPEN_URI : 0;
    const int rc =
        sqlite3_open_v2(name.constData(), &handle, mode | SQLITE_OPEN_NOMUTEX, file->vfs());
    std::shared_ptr<Connection> connection(new Connection(handle, path, std::move(file)));
    if (rc != SQLITE_OK)
        connection->fail(rc, QStringLiteral("abrir"));
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, lockWaitMilliseconds);
    sqlite3_progress_handler(handle, stepsBetweenClockChecks, &Connection::onProgress,
                             connection.get());
    // Rows are read once into memory and searched there; a page cache larger than what one pass
    // over a table needs would only hold a second copy of the file as long as the program runs.
    connection->execute("PRAGMA cache_size = -64", QStringLiteral("abrir"));
    // The options write must survive a power cut as well as a crash: the journal is synced
    // before the file changes and the file before the write counts as done. Debian's SQLite does
    // this by default; saying so here keeps it true for a build whose default is lighter.
    connection->execute("PRAGMA synchronous = FULL", QStringLiteral("abrir"));
    // Opening is lazy in SQLite: read the schema now so a bad file is reported here.
    Statement probe(*connection, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    probe.step();
    return connection;
}

Connection::~Connection() {
    sqlite3_close_v2(m_handle);
}

// A view can produce rows without end, and sorting them fills a temporary file as fast as the
// disk takes it; a non-zero answer stops the statement with SQLITE_INTERRUPT.
int Connection::onProgress(void* connection) {
    const auto* self = static_cast<const Connection*>(connection);
    return std::chrono::steady_clock::now() - self->m_runningSince > statementTimeLimit ? 1 : 0;
}

qint64 Connection::fileSize() const {
    return m_file->size();
}

void Connection::execute(const char* sql, const QString& action) {
    Statement statement(*this, QString::fromUtf8(sql), action);
    while (statement.step()) {
    }
}

Connection::TableKind Connection::tableKind(const QString& name) {
    Statement query(*this, QStringLiteral("SELECT type = 'view' FROM sqlite_master WHERE type IN "
                                          "('table', 'view') AND name = ?1 COLLATE NOCASE"));
    query.bind(1, name);
    if (!query.step())
        return TableKind::None;
    return sqlite3_column_int(query.handle(), 0) != 0 ? TableKind::View : TableKind::Table;
}

void Connection::fail(int rc, const QString& action) const {
    const int primary = rc & 0xFF;
    const char* message = m_handle ? sqlite3_errmsg(m_handle) : "";
    if (primary == SQLITE_ERROR && qstrncmp(message, "no such table", 13) == 0)
        core::raise(ErrorCode::TableNotFound,
                    QStringLiteral("A tabela \"%1\" não existe em \"%2\".")
                        .arg(nameAfterColon(message), m_path));
    if (primary == SQLITE_ERROR && qstrncmp(message, "no such column", 14) == 0)
        core::raise(ErrorCode::ColumnNotFound,
                    QStringLiteral("A coluna \"%1\" não existe em \"%2\".")
                        .arg(nameAfterColon(message), m_path));
    const auto describe = [&](const QString& reason) {
        return QStringLiteral("Não foi possível %1 \"%2\": %3.").arg(action, m_path, reason);
    };
    if (primary == SQLITE_INTERRUPT)
        throw TimeLimitExceeded(describe(timeLimitCause(fileSize())), timeLimitCause(fileSize()));
    // A journal that cannot be opened counts as one to undo.
    if (primary == SQLITE_CANTOPEN || rc == SQLITE_READONLY_ROLLBACK) {
        const QString special = specialFileNear(m_path);
        if (!special.isEmpty())
            core::raise(ErrorCode::NotADatabase, describe(special));
        if (m_handle && sqlite3_system_errno(m_handle) == ENXIO)
            core::raise(ErrorCode::NotADatabase,
                        describe(QStringLiteral("o arquivo, ou um dos que o SQLite mantém ao lado "
                                                "dele, foi trocado, no momento de abri-lo, por "
                                                "algo que não é um arquivo comum")));
    }
    QString reason = reasonFor(rc);
    if (primary == SQLITE_ERROR)
        reason = QStringLiteral("o SQLite recusou a operação (%1)").arg(QString::fromUtf8(message));
    if (primary == SQLITE_CONSTRAINT)
        reason = constraintReason(rc, message);
    if (primary == SQLITE_BUSY)
        reason +=
            QStringLiteral(", que não o liberou em %1 segundos").arg(lockWaitMilliseconds / 1000);
    core::raise(codeFor(rc), describe(reason));
}

Statement::Statement(Connection& connection, const QString& sql, const QString& action)
    : m_connection(connection), m_action(action), m_preparedAt(std::chrono::steady_clock::now()) {
    const QByteArray utf8 = sql.toUtf8();
    connection.runningSince(m_preparedAt);
    const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(),
                                      static_cast<int>(utf8.size()), &m_handle, nullptr);
    if (rc != SQLITE_OK)
        connection.fail(rc, action);
}

Statement::~Statement() {
    sqlite3_finalize(m_handle);
}

void Statement::bind(int index, const Variant& value) {
    int rc = SQLITE_OK;
    switch (value.type()) {
    case Variant::Type::Null:
        rc = sqlite3_bind_null(m_handle, index);
        break;
    case Variant::Type::Integer:
        rc = sqlite3_bind_int64(m_handle, index, value.integer());
        break;
    case Variant::Type::Double:
        rc = sqlite3_bind_double(m_handle, index, value.real());
        break;
    case Variant::Type::Boolean:
        rc = sqlite3_bind_int(m_handle, index, value.boolean() ? 1 : 0);
        break;
    case Variant::Type::Text: {
        const QByteArray utf8 = value.text().toUtf8();
        rc = sqlite3_bind_text(m_handle, index, utf8.constData(), static_cast<int>(utf8.size()),
                               SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        m_connection.fail(rc, m_action);
}

// The time limit covers the whole reading, from preparation to the last row: a view without
// end may as well hand out rows one by one forever as sort them forever.
bool Statement::step() {
    m_connection.runningSince(m_preparedAt);
    const int rc = sqlite3_step(m_handle);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_connection.fail(rc, m_action);
}

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    connection.execute("BEGIN IMMEDIATE", QStringLiteral("gravar em"));
}

Transaction::~Transaction() {
    if (m_open)
        sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    m_connection.execute("COMMIT", QStringLiteral("gravar em"));
    m_open = false;
}

} // namespace db::sqlite
