#include "platform/database/sqlite.h"

#include "platform/core/runtime_error.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace db::sqlite {

using core::ErrorCode;

namespace {

constexpr int lockWaitMilliseconds = 2000;

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

} // namespace

QString reasonFor(int rc) {
    // The file under the open connection is gone from its place: every write would go to a
    // file nobody sees any more, so SQLite refuses them.
    if (rc == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("o arquivo foi apagado, movido ou substituído por outro depois que "
                              "o programa o abriu; feche e abra o programa de novo");
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
    default:
        return QStringLiteral("erro do SQLite: %1").arg(QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

QString quoteIdentifier(QStringView name) {
    QString quoted = name.toString();
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

std::shared_ptr<Connection> Connection::open(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists())
        core::raise(ErrorCode::FileNotFound,
                    QStringLiteral("O arquivo \"%1\" não foi encontrado.").arg(path));
    if (file.isDir())
        core::raise(ErrorCode::NotADatabase,
                    QStringLiteral("\"%1\" é uma pasta, não um banco de dados.").arg(path));
    // SQLite would only say it cannot open the file.
    if (!file.isReadable())
        core::raise(ErrorCode::DatabaseError,
                    QStringLiteral("Não foi possível abrir \"%1\": o programa não tem "
                                   "permissão para ler o arquivo.")
                        .arg(path));
    // SQLite takes an empty file for an empty database; for us it is a damaged delivery.
    if (file.size() == 0)
        core::raise(
            ErrorCode::NotADatabase,
            QStringLiteral("O arquivo \"%1\" está vazio: não é um banco de dados.").arg(path));
    sqlite3* handle = nullptr;
    // A connection is only ever used by the thread that opened it, so SQLite's own lock on
    // every call buys nothing; it was a third of the time spent reading a collection.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::shared_ptr<Connection> connection(new Connection(handle, path));
    if (rc != SQLITE_OK)
        connection->fail(rc, QStringLiteral("abrir"));
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, lockWaitMilliseconds);
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

void Connection::execute(const char* sql, const QString& action) {
    Statement statement(*this, QString::fromUtf8(sql), action);
    while (statement.step()) {
    }
}

bool Connection::hasTable(const QString& name) {
    Statement query(*this, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type IN "
                                          "('table', 'view') AND name = ?1 COLLATE NOCASE"));
    query.bind(1, name);
    return query.step();
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
    QString reason = reasonFor(rc);
    if (primary == SQLITE_ERROR)
        reason = QStringLiteral("erro do SQLite: %1").arg(QString::fromUtf8(message));
    if (primary == SQLITE_BUSY)
        reason +=
            QStringLiteral(", que não o liberou em %1 segundos").arg(lockWaitMilliseconds / 1000);
    core::raise(codeFor(rc),
                QStringLiteral("Não foi possível %1 \"%2\": %3.").arg(action, m_path, reason));
}

Statement::Statement(Connection& connection, const QString& sql, const QString& action)
    : m_connection(connection), m_action(action) {
    const QByteArray utf8 = sql.toUtf8();
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

bool Statement::step() {
    const int rc = sqlite3_step(m_handle);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_connection.fail(rc, m_action);
}

void Statement::reset() {
    sqlite3_reset(m_handle);
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
