#pragma once

#include <QByteArray>
#include <QString>

// The file under a connection: checked before SQLite is asked to open it, so that every fault
// gets its own words, and named to SQLite in a way it can always take.
namespace db::sqlite {

class DatabaseFile {
public:
    // Raises the run-time error naming `path` and what keeps it from being a database: missing,
    // a link that leads nowhere or in a loop, out of reach, a folder, a FIFO or a device,
    // unreadable, empty.
    explicit DatabaseFile(const QString& path);
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    // What to give sqlite3_open_v2: the file's name and the VFS (null for SQLite's own).
    const char* sqliteName() const { return m_sqliteName.constData(); }
    const char* vfs() const { return m_vfs; }
    // The file's size now, 0 when it cannot be told.
    qint64 size() const;

private:
    void nameForSqlite();

    QByteArray m_bytes;
    QByteArray m_sqliteName;
    const char* m_vfs = nullptr;
    int m_folder = -1;
};

} // namespace db::sqlite
