#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The file under a connection: checked before SQLite is asked to open it, so that every fault
// gets its own words, and named to SQLite in a way it can always take.
namespace db::sqlite {

// A name for an existing file that SQLite can take however long its path, and the VFS to give
// with it (null for SQLite's own); it stays valid for as long as this object lives.
class SqliteName {
public:
    explicit SqliteName(const QByteArray& bytes);
    ~SqliteName();
    SqliteName(const SqliteName&) = delete;
    SqliteName& operator=(const SqliteName&) = delete;

    const char* name() const { return m_name.constData(); }
    const char* vfs() const { return m_vfs; }

private:
    QByteArray m_name;
    const char* m_vfs = nullptr;
    int m_folder = -1;
};

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
    const char* sqliteName() const { return m_name->name(); }
    const char* vfs() const { return m_name->vfs(); }
    // The file's size now, 0 when it cannot be told.
    qint64 size() const;

    // Whether the file is in WAL mode, where every reader keeps two files beside it ("-wal" and
    // "-shm") unless it reads the file as it is.
    bool writeAheadLog() const { return m_writeAheadLog; }
    // For reading the file as it is: raises the run-time error when writes still wait in its
    // "-wal" file, which only a writer puts into the file; otherwise the URI to open
    // (SQLITE_OPEN_URI), which creates nothing beside the file.
    QByteArray asItIs() const;

private:
    void judgeContent();

    QString m_path;
    QByteArray m_bytes;
    std::optional<SqliteName> m_name;
    bool m_writeAheadLog = false;
};

// Every file SQLite opens by name from now on is opened by core::openWithoutWaiting, so that a
// name turned into a FIFO after every check keeps nothing waiting. Opening a DatabaseFile does
// this too.
void guardOpens();

// The file, or the first of the files SQLite keeps beside it, that is not a plain file, in
// words ('"…-journal" não é um arquivo comum, e sim um FIFO …'); empty when there is none.
QString specialFileNear(const QString& path);

} // namespace db::sqlite
