#pragma once

#include "platform/database/recordset.h"
#include "platform/database/sqlite.h"

#include <QString>
#include <memory>

namespace db {

class Database {
public:
    explicit Database(std::shared_ptr<sqlite::Connection> connection)
        : m_connection(std::move(connection)) {}

    // `source` is a table name (the recordset can then be changed) or a Select statement.
    std::shared_ptr<Recordset> OpenRecordset(const QString& source,
                                             TextFolding folding = TextFolding::WhileReading) {
        return std::make_shared<Recordset>(m_connection, source, folding);
    }
    const QString& Name() const { return m_connection->path(); }

private:
    std::shared_ptr<sqlite::Connection> m_connection;
};

class Workspace {
public:
    // Opens an existing database file, shared, for reading and writing unless asked for
    // reading only. A missing file, a file that is not a database or one locked by another
    // program is a run-time error.
    std::shared_ptr<Database> OpenDatabase(const QString& name,
                                           sqlite::Access access = sqlite::Access::ReadWrite) {
        return std::make_shared<Database>(sqlite::Connection::open(name, access));
    }
};

class Engine {
public:
    Workspace& Workspaces(int index);

private:
    Workspace m_defaultWorkspace;
};

// The one engine of the process, created on first use.
Engine& DBEngine();

// Whether a database and its recordsets may be made on one thread and then used on another,
// one thread at a time, while other threads use other databases.
bool objectsMayChangeThreads();

} // namespace db
