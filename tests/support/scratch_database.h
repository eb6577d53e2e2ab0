#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

// Throw-away database files for tests, in a directory that disappears with the object.
class ScratchDirectory {
public:
    ScratchDirectory();
    QString path() const { return m_directory.path(); }
    QString file(const QString& name) const { return m_directory.filePath(name); }

private:
    QTemporaryDir m_directory;
};

// The user's XDG_DATA_HOME while it lives; own(u"/quelmar.mdb"): the user's own collection.
struct OwnDataHome : ScratchDirectory {
    OwnDataHome() { qputenv("XDG_DATA_HOME", path().toUtf8()); }
    ~OwnDataHome() { qputenv("XDG_DATA_HOME", m_before); }
    QString own(const QString& name) const {
        return file(QStringLiteral("quelmar-de-orivela") + name);
    }
    QByteArray m_before = qgetenv("XDG_DATA_HOME");
};

// Writes the file, making its folders.
void makeOwnFile(const QString& path, const QByteArray& bytes);

// The same bytes at every run, none of them a database: a file spoilt beyond recognition.
QByteArray randomBytes(int size);

// A file's bytes; empty when it cannot be read.
QByteArray contentOf(const QString& path);

// Makes `bytes` the whole content of the file at `path`; fails the test when it cannot.
void replaceContent(const QString& path, const QByteArray& bytes);

// The names in a directory, hidden ones included, so that anything left behind shows.
QStringList entryNames(const QString& directory);

// Every entry of a directory with its kind, size, permissions, time of change and content, so
// that any change, an entry left behind or one gone shows up in a comparison.
QStringList directoryState(const QString& directory);

// Creates (or extends) the database at `path` by running `sql`; fails the test on an error.
void runSql(const QString& path, const QString& sql);

// A collection table with the given texts numbered 1..N in order.
void makeCollection(const QString& path, const QString& table, const std::vector<QString>& texts);

// The options table with one row of literal SQL values ("NULL", "15.5", ...).
void makeOptions(const QString& path, const QString& iniCom, const QString& segTem,
                 const QString& comTem);

// Reads one value from `path` with a fresh connection, as SQL text ("NULL" for a null).
QString queryText(const QString& path, const QString& sql);

// Copies the database at `path` to `copy` as a crash in the middle of a change leaves it: with
// the rollback journal that the next read-write open plays back ("-journal"), or with committed
// changes still only in the write-ahead log ("-wal").
enum class Leftover { Journal, WriteAheadLog };
void copyMidWrite(const QString& path, const QString& copy, Leftover leftover);

// Holds a write lock on a database from another connection until destroyed.
class LockHolder {
public:
    explicit LockHolder(const QString& path);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    struct sqlite3* m_handle = nullptr;
};

// A lock on a database held by a separate process (tests/support/sqlite_helper.cpp) until
// destroyed: the way another program on the machine would hold it, which a second connection in
// the same process cannot show. Fails the test if the lock cannot be taken.
class LockInOtherProcess {
public:
    enum class Kind { Exclusive, Reserved };

    LockInOtherProcess(const QString& path, Kind kind);
    ~LockInOtherProcess();
    LockInOtherProcess(const LockInOtherProcess&) = delete;
    LockInOtherProcess& operator=(const LockInOtherProcess&) = delete;

private:
    QProcess m_process;
};
