#pragma once

#include "platform/core/runtime_error.h"
#include "platform/database/variant.h"

#include <QString>
#include <chrono>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A thin owning layer over SQLite's C API: every failure becomes a run-time error whose
// Portuguese text names the file.
namespace db::sqlite {

class DatabaseFile;

// A statement that ran past the time limit, as a view or a trigger that never ends, or a huge
// file, would; it is error 111. `cause` says what happened in words (the limit, the file's
// size), for callers that name the file in their own way.
class TimeLimitExceeded : public core::RuntimeError {
public:
    TimeLimitExceeded(const QString& description, QString cause);
    const QString& cause() const { return m_cause; }

private:
    QString m_cause;
};

// Read-only opens never write the file nor anything beside it: an interrupted write's journal
// is left for a read-write open to undo, and reading refuses the file meanwhile.
enum class Access { ReadWrite, ReadOnly };

class Connection {
public:
    // Opens an existing database file; never creates one. Waits up to two seconds for a lock
    // held by another program. No statement runs longer than three seconds, whatever the file
    // holds (TimeLimitExceeded).
    static std::shared_ptr<Connection> open(const QString& path, Access access = Access::ReadWrite);

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    sqlite3* handle() const { return m_handle; }
    const QString& path() const { return m_path; }
    // The file's size now, 0 when it cannot be told.
    qint64 fileSize() const;

    // `action` completes "Não foi possível ..." in the error text: "ler", "gravar em".
    void execute(const char* sql, const QString& action);
    enum class TableKind { None, Table, View };
    // Whether `name` (any letter case) is a table, a view or neither.
    TableKind tableKind(const QString& name);

    // Raises the run-time error for SQLite result code `rc`, met while doing `action`.
    [[noreturn]] void fail(int rc, const QString& action) const;

    // The statement about to run was prepared at `since`; the time limit counts from there.
    void runningSince(std::chrono::steady_clock::time_point since) { m_runningSince = since; }

private:
    Connection(sqlite3* handle, QString path, std::unique_ptr<DatabaseFile> file);
    static int onProgress(void* connection);

    sqlite3* m_handle;
    QString m_path;
    std::unique_ptr<DatabaseFile> m_file;
    std::chrono::steady_clock::time_point m_runningSince;
};

class Statement {
public:
    Statement(Connection& connection, const QString& sql,
              const QString& action = QStringLiteral("ler"));
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    void bind(int index, const Variant& value);
    // True while a row is available; raises on any error.
    bool step();
    sqlite3_stmt* handle() const { return m_handle; }

private:
    Connection& m_connection;
    QString m_action;
    sqlite3_stmt* m_handle = nullptr;
    std::chrono::steady_clock::time_point m_preparedAt;
};

// Rolls back unless committed, so no failure can leave half a change behind.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    void commit();

private:
    Connection& m_connection;
    bool m_open = true;
};

QString quoteIdentifier(QStringView name);
// Portuguese words for why SQLite refused, for messages.
QString reasonFor(int rc);

} // namespace db::sqlite
