#pragma once

#include "platform/database/variant.h"

#include <QString>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A thin owning layer over SQLite's C API: every failure becomes a run-time error whose
// Portuguese text names the file.
namespace db::sqlite {

class DatabaseFile;

class Connection {
public:
    // Opens an existing database file for reading and writing; never creates one. Waits up
    // to two seconds for a lock held by another program.
    static std::shared_ptr<Connection> open(const QString& path);

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

private:
    Connection(sqlite3* handle, QString path, std::unique_ptr<DatabaseFile> file);

    sqlite3* m_handle;
    QString m_path;
    std::unique_ptr<DatabaseFile> m_file;
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
    void reset();
    sqlite3_stmt* handle() const { return m_handle; }

private:
    Connection& m_connection;
    QString m_action;
    sqlite3_stmt* m_handle = nullptr;
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
