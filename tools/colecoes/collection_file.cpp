#include "colecoes/collection_file.h"

#include "data/collections.h"
#include "platform/core/runtime_error.h"
#include "platform/database/engine.h"
#include "platform/database/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <map>
#include <optional>
#include <sqlite3.h>

namespace colecoes {

namespace {

// A database being built under a temporary name beside its final place.
class NewDatabase {
public:
    explicit NewDatabase(const QString& finalPath)
        : m_temporary(QFileInfo(finalPath).absoluteDir().filePath(
              QStringLiteral(".%1.XXXXXX").arg(QFileInfo(finalPath).fileName()))) {}

    ~NewDatabase() { close(); }

    QString open() {
        if (!m_temporary.open())
            return QStringLiteral("não foi possível criar um arquivo em \"%1\": %2")
                .arg(QFileInfo(m_temporary.fileTemplate()).absolutePath(),
                     m_temporary.errorString());
        m_temporary.close();
        const int rc = sqlite3_open_v2(m_temporary.fileName().toUtf8().constData(), &m_handle,
                                       SQLITE_OPEN_READWRITE, nullptr);
        return rc == SQLITE_OK ? QString() : reason(rc);
    }

    QString execute(const QString& sql) {
        char* message = nullptr;
        const int rc = sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &message);
        sqlite3_free(message);
        return rc == SQLITE_OK ? QString() : reason(rc);
    }

    sqlite3* handle() const { return m_handle; }

    QString reason(int rc) const {
        return QStringLiteral("%1 (%2)").arg(db::sqlite::reasonFor(rc),
                                             QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

    // Closes the database and moves it to `finalPath`; `replace` says whether an existing
    // file there may be replaced.
    QString moveTo(const QString& finalPath, bool replace) {
        close();
        QFile file(m_temporary.fileName());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                            QFile::ReadOther);
        if (!replace) {
            if (!QFile::rename(m_temporary.fileName(), finalPath))
                return QStringLiteral("o arquivo \"%1\" já existe ou não pode ser criado")
                    .arg(finalPath);
        } else if (std::rename(QFile::encodeName(m_temporary.fileName()).constData(),
                               QFile::encodeName(finalPath).constData()) != 0) {
            return QStringLiteral("não foi possível gravar \"%1\"").arg(finalPath);
        }
        m_temporary.setAutoRemove(false);
        return {};
    }

private:
    void close() {
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
    }

    QTemporaryFile m_temporary;
    sqlite3* m_handle = nullptr;
};

QString insertMessages(NewDatabase& database, const QString& table,
                       const std::vector<QString>& messages) {
    sqlite3_stmt* insert = nullptr;
    const QString sql = QStringLiteral("INSERT INTO %1 (Numero, mensagem) VALUES (?1, ?2)")
                            .arg(db::sqlite::quoteIdentifier(table));
    int rc = sqlite3_prepare_v2(database.handle(), sql.toUtf8().constData(), -1, &insert, nullptr);
    for (std::size_t i = 0; rc == SQLITE_OK && i < messages.size(); ++i) {
        const QByteArray text = messages[i].toUtf8();
        sqlite3_bind_int(insert, 1, static_cast<int>(i + 1));
        sqlite3_bind_text(insert, 2, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        rc = sqlite3_step(insert) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(database.handle());
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return rc == SQLITE_OK ? QString() : database.reason(rc);
}

} // namespace

bool isValidTableName(const QString& table) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(table).hasMatch();
}

QString createCollection(const QString& path, const QString& table,
                         const std::vector<QString>& messages) {
    if (!isValidTableName(table))
        return QStringLiteral("nome de tabela inválido: \"%1\" (use letras sem acento, "
                              "algarismos e \"_\")")
            .arg(table);
    NewDatabase database(path);
    QString failure = database.open();
    if (failure.isEmpty())
        failure = database.execute(
            QStringLiteral("BEGIN; CREATE TABLE %1 (Numero SMALLINT NOT NULL PRIMARY KEY, "
                           "mensagem TEXT NOT NULL) WITHOUT ROWID;")
                .arg(db::sqlite::quoteIdentifier(table)));
    if (failure.isEmpty())
        failure = insertMessages(database, table, messages);
    if (failure.isEmpty())
        failure = database.execute(QStringLiteral("COMMIT"));
    if (failure.isEmpty())
        failure = database.moveTo(path, true);
    return failure;
}

QString createOptions(const QString& path) {
    if (QFileInfo::exists(path))
        return QStringLiteral("o arquivo \"%1\" já existe; ele não será substituído").arg(path);
    NewDatabase database(path);
    QString failure = database.open();
    if (failure.isEmpty())
        failure = database.execute(QStringLiteral(
            "BEGIN; CREATE TABLE opcoes (IniCom SMALLINT, SegTem DOUBLE, ComTem BOOLEAN); "
            "INSERT INTO opcoes (IniCom, SegTem, ComTem) VALUES (1, 15.0, 1); COMMIT;"));
    if (failure.isEmpty())
        failure = database.moveTo(path, false);
    return failure;
}

namespace {

// The collection's rows the way the program reads them.
std::shared_ptr<db::Recordset> openInNumberOrder(const QString& path, const QString& table) {
    return db::DBEngine().OpenDatabase(path)->OpenRecordset(
        QStringLiteral("Select * From %1 Order By Numero").arg(db::sqlite::quoteIdentifier(table)));
}

class Verifier {
public:
    std::vector<Violation> run(const QString& path, const QString& table) {
        std::shared_ptr<db::Recordset> rows;
        try {
            rows = openInNumberOrder(path, table);
        } catch (const core::RuntimeError& error) {
            add(0, {}, error.description());
            return std::move(m_violations);
        }
        m_hasText = rows->FieldNames().contains(QStringLiteral("mensagem"), Qt::CaseInsensitive);
        if (!m_hasText)
            add(0, {}, QStringLiteral("falta a coluna \"mensagem\""));
        const int count = rows->RecordCount();
        if (count == 0)
            add(0, {}, QStringLiteral("a coleção está vazia"));
        if (count > data::largestCollection)
            add(0, QString::number(count),
                QStringLiteral("a coleção tem mais de %1 mensagens").arg(data::largestCollection));
        for (int row = 1; row <= count; ++row, rows->MoveNext())
            checkRow(*rows, row, count);
        for (int number = 1; number <= count; ++number)
            if (!m_seen.contains(number))
                add(0, QString::number(number),
                    QStringLiteral("falta a mensagem de número %1; %2")
                        .arg(number)
                        .arg(data::numberingRule(count)));
        return std::move(m_violations);
    }

private:
    void add(int row, const QString& value, const QString& rule) {
        m_violations.push_back({row, value, rule});
    }

    void checkRow(db::Recordset& rows, int row, int count) {
        checkNumber(rows.Fields(u"Numero").Value(), row, count);
        if (m_hasText)
            checkText(rows.Fields(u"mensagem").Value(), row,
                      rows.IsBinaryAt(rows.AbsolutePosition(), rows.FieldIndex(u"mensagem")));
    }

    void checkNumber(const db::Variant& number, int row, int count) {
        if (number.isNull())
            return add(row, db::describe(number), QStringLiteral("Numero nulo"));
        const std::optional<std::int64_t> whole = data::wholeNumber(number);
        if (!whole)
            return add(row, db::describe(number), QStringLiteral("Numero não é um número inteiro"));
        if (*whole < -32768 || *whole > 32767)
            return add(row, db::describe(number),
                       QStringLiteral("Numero não cabe em um inteiro de 16 bits"));
        if (*whole < 1 || *whole > count)
            return add(
                row, db::describe(number),
                QStringLiteral("Numero fora de 1 a %1 (a quantidade de mensagens)").arg(count));
        if (!m_seen.insert({*whole, row}).second)
            add(row, db::describe(number),
                QStringLiteral("Numero repetido (já usado no registro %1)").arg(m_seen.at(*whole)));
    }

    void checkText(const db::Variant& text, int row, bool binary) {
        if (text.isNull())
            add(row, db::describe(text), QStringLiteral("mensagem nula"));
        else if (binary)
            add(row, {}, QStringLiteral("mensagem não é um texto, e sim dados binários"));
        else if (text.type() != db::Variant::Type::Text)
            add(row, db::describe(text), QStringLiteral("mensagem não é um texto"));
        else if (text.text().trimmed().isEmpty())
            add(row, QStringLiteral("\"%1\"").arg(text.text()), QStringLiteral("mensagem vazia"));
    }

    std::vector<Violation> m_violations;
    std::map<qint64, int> m_seen;
    bool m_hasText = false;
};

} // namespace

std::vector<Violation> verifyCollection(const QString& path, const QString& table) {
    return Verifier().run(path, table);
}

std::vector<QString> readCollection(const QString& path, const QString& table) {
    const auto rows = openInNumberOrder(path, table);
    std::vector<QString> messages;
    for (int row = 0; row < rows->RecordCount(); ++row, rows->MoveNext())
        messages.push_back(data::currentMessageText(*rows));
    return messages;
}

} // namespace colecoes
