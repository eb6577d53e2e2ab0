#include "support/scratch_database.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <sqlite3.h>

ScratchDirectory::ScratchDirectory() {
    if (!m_directory.isValid())
        qFatal("no temporary directory");
}

namespace {

sqlite3* openForTest(const QString& path) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &handle,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    return handle;
}

} // namespace

void runSql(const QString& path, const QString& sql) {
    sqlite3* handle = openForTest(path);
    char* message = nullptr;
    const int rc = sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &message);
    const QString error = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    sqlite3_close(handle);
    if (rc != SQLITE_OK)
        qFatal("SQL failed on %s: %s", qPrintable(path), qPrintable(error));
}

void makeCollection(const QString& path, const QString& table, const std::vector<QString>& texts) {
    QString sql = QStringLiteral("CREATE TABLE %1 (Numero SMALLINT, mensagem TEXT);").arg(table);
    sql += QStringLiteral("BEGIN;");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        QString text = texts[i];
        text.replace(u'\'', QStringLiteral("''"));
        sql += QStringLiteral("INSERT INTO %1 VALUES (%2, '%3');").arg(table).arg(i + 1).arg(text);
    }
    sql += QStringLiteral("COMMIT;");
    runSql(path, sql);
}

void makeOptions(const QString& path, const QString& iniCom, const QString& segTem,
                 const QString& comTem) {
    runSql(path, QStringLiteral("CREATE TABLE opcoes (IniCom SMALLINT, SegTem DOUBLE, ComTem "
                                "BOOLEAN); INSERT INTO opcoes VALUES (%1, %2, %3);")
                     .arg(iniCom, segTem, comTem));
}

void copyMidWrite(const QString& path, const QString& copy, Leftover leftover) {
    const bool wal = leftover == Leftover::WriteAheadLog;
    const QString suffix = wal ? QStringLiteral("-wal") : QStringLiteral("-journal");
    sqlite3* handle = openForTest(path);
    // A one-page cache makes the change spill into the file before it commits.
    const char* sql = wal ? "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; "
                            "CREATE TABLE IF NOT EXISTS mudanca (x); BEGIN;"
                          : "PRAGMA cache_size = 1; CREATE TABLE IF NOT EXISTS mudanca (x); BEGIN;";
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("cannot start a change in %s", qPrintable(path));
    for (int i = 0; i < 500; ++i)
        sqlite3_exec(handle, "INSERT INTO mudanca VALUES (randomblob(500))", nullptr, nullptr,
                     nullptr);
    if (wal)
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    QFile::remove(copy);
    QFile::remove(copy + suffix);
    if (!QFile::copy(path, copy) || !QFile::copy(path + suffix, copy + suffix))
        qFatal("cannot copy %s in the middle of a change", qPrintable(path));
    sqlite3_close(handle);
}

QString queryText(const QString& path, const QString& sql) {
    sqlite3* handle = openForTest(path);
    sqlite3_stmt* statement = nullptr;
    QString result = QStringLiteral("(no row)");
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        result = sqlite3_column_type(statement, 0) == SQLITE_NULL
                     ? QStringLiteral("NULL")
                     : QString::fromUtf8(
                           reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return result;
}

LockHolder::LockHolder(const QString& path) : m_handle(openForTest(path)) {
    if (sqlite3_exec(m_handle, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("cannot lock %s", qPrintable(path));
}

LockHolder::~LockHolder() {
    sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_handle);
}

LockInOtherProcess::LockInOtherProcess(const QString& path, Kind kind) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(
        QStringLiteral(QUELMAR_SQLITE_HELPER),
        {QStringLiteral("lock"), path,
         kind == Kind::Exclusive ? QStringLiteral("exclusive") : QStringLiteral("reserved")});
    if (!m_process.waitForReadyRead(10'000) || !m_process.readLine().startsWith("bloqueado"))
        qFatal("the helper did not lock %s", qPrintable(path));
}

LockInOtherProcess::~LockInOtherProcess() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10'000))
        m_process.kill();
}

QByteArray randomBytes(int size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(20240611);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void replaceContent(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void makeOwnFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    replaceContent(path, bytes);
}

QStringList entryNames(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                     QDir::Name);
}

QStringList directoryState(const QString& directory) {
    QStringList entries;
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& info : QDir(directory).entryInfoList(filter, QDir::Name)) {
        const QByteArray content =
            info.isFile()
                ? QCryptographicHash::hash(contentOf(info.filePath()), QCryptographicHash::Sha256)
                      .toHex()
                : QByteArray("-");
        entries << QStringLiteral("%1 %2 %3 bytes, permissões %4, modificado %5, %6")
                       .arg(info.fileName(),
                            info.isDir() ? QStringLiteral("pasta") : QStringLiteral("arquivo"))
                       .arg(info.size())
                       .arg(int(info.permissions()), 0, 16)
                       .arg(info.lastModified().toMSecsSinceEpoch())
                       .arg(QString::fromLatin1(content));
    }
    return entries;
}
