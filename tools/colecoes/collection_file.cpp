#include "colecoes/collection_file.h"

#include "colecoes/fortune.h"
#include "data/collections.h"
#include "data/message_box.h"
#include "platform/core/runtime_error.h"
#include "platform/core/standard_streams.h"
#include "platform/core/text_fold.h"
#include "platform/database/engine.h"
#include "platform/database/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QUrl>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unordered_map>

namespace colecoes {

namespace {

// The files SQLite keeps beside a database while writing it.
constexpr std::array journalSuffixes{"-journal", "-wal", "-shm"};

QString fileKind(mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("um link simbólico");
    if (S_ISDIR(mode))
        return QStringLiteral("uma pasta");
    if (S_ISFIFO(mode))
        return QStringLiteral("um pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("um dispositivo");
    if (S_ISSOCK(mode))
        return QStringLiteral("um socket");
    return QStringLiteral("um arquivo especial");
}

std::optional<struct stat> statOf(const QString& path, bool followLinks) {
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    const int rc = followLinks ? stat(name.constData(), &info) : lstat(name.constData(), &info);
    if (rc != 0)
        return std::nullopt;
    return info;
}

// Read without taking locks or looking at journals, so that even a file another program is
// writing, or one with a journal left beside it, is only ever read.
bool holdsACollectionTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(16) != QByteArray("SQLite format 3\0", 16))
        return false;
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    sqlite3* handle = nullptr;
    sqlite3_open_v2(uri.toEncoded().constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                    nullptr);
    sqlite3_stmt* query = nullptr;
    // A table with both columns the program reads, whatever its name.
    const char* sql = "SELECT 1 FROM sqlite_master AS t WHERE t.type = 'table' AND "
                      "(SELECT count(*) FROM pragma_table_info(t.name) WHERE lower(name) IN "
                      "('numero', 'mensagem')) = 2";
    bool found = false;
    if (sqlite3_prepare_v2(handle, sql, -1, &query, nullptr) == SQLITE_OK)
        found = sqlite3_step(query) == SQLITE_ROW;
    sqlite3_finalize(query);
    sqlite3_close_v2(handle);
    return found;
}

} // namespace

std::optional<QString> outputRefusal(const QString& output, const QStringList& sources) {
    const std::optional<struct stat> existing = statOf(output, false);
    if (!existing)
        return std::nullopt;
    for (const QString& source : sources) {
        const std::optional<struct stat> read = statOf(source, true);
        if (read && read->st_dev == existing->st_dev && read->st_ino == existing->st_ino)
            return QStringLiteral("\"%1\" é o próprio arquivo de texto \"%2\"; a coleção não o "
                                  "substituirá")
                .arg(output, source);
    }
    if (!S_ISREG(existing->st_mode))
        return QStringLiteral("\"%1\" é %2, não um arquivo comum; a coleção não o substituirá")
            .arg(output, fileKind(existing->st_mode));
    if (!holdsACollectionTable(output))
        return QStringLiteral("\"%1\" já existe e não é uma coleção (nenhuma tabela com as "
                              "colunas Numero e mensagem); só uma coleção pode ser substituída, "
                              "escolha outro nome")
            .arg(output);
    return std::nullopt;
}

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

    QString prepareInsert(const QString& table) {
        const QString sql = QStringLiteral("INSERT INTO %1 (Numero, mensagem) VALUES (?1, ?2)")
                                .arg(db::sqlite::quoteIdentifier(table));
        const int rc =
            sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &m_insert, nullptr);
        return rc == SQLITE_OK ? QString() : reason(rc);
    }

    QString insert(int number, std::string_view text) {
        sqlite3_bind_int(m_insert, 1, number);
        sqlite3_bind_text(m_insert, 2, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
        return rc == SQLITE_DONE ? QString() : reason(sqlite3_errcode(m_handle));
    }

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
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
    }

    QTemporaryFile m_temporary;
    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

CollectionBuilder::CollectionBuilder(const QString& path, const QString& table)
    : m_database(std::make_unique<NewDatabase>(path)), m_path(path), m_table(table) {}

CollectionBuilder::~CollectionBuilder() = default;

QString CollectionBuilder::start() {
    if (!isValidTableName(m_table))
        return m_failure = QStringLiteral("nome de tabela inválido: \"%1\" (use letras sem "
                                          "acento, algarismos e \"_\")")
                               .arg(m_table);
    m_failure = m_database->open();
    if (m_failure.isEmpty())
        m_failure = m_database->execute(
            QStringLiteral("BEGIN; CREATE TABLE %1 (Numero SMALLINT NOT NULL PRIMARY KEY, "
                           "mensagem TEXT NOT NULL) WITHOUT ROWID;")
                .arg(db::sqlite::quoteIdentifier(m_table)));
    if (m_failure.isEmpty())
        m_failure = m_database->prepareInsert(m_table);
    return m_failure;
}

QString CollectionBuilder::add(std::string_view text) {
    if (m_failure.isEmpty())
        m_failure = m_database->insert(++m_count, text);
    return m_failure;
}

QString CollectionBuilder::finish() {
    if (m_failure.isEmpty())
        m_failure = m_database->execute(QStringLiteral("COMMIT"));
    for (const char* suffix : journalSuffixes) {
        const QString journal = m_path + QLatin1StringView(suffix);
        if (!m_failure.isEmpty() || !statOf(journal, false))
            continue;
        if (!QFile::remove(journal))
            m_failure = QStringLiteral("não foi possível apagar \"%1\", deixado pela coleção "
                                       "anterior, que estragaria a nova")
                            .arg(journal);
    }
    if (m_failure.isEmpty())
        m_failure = m_database->moveTo(m_path, true);
    return m_failure;
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

bool isValidTableName(const QString& table) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(table).hasMatch();
}

namespace {

// The collection's rows the way the program reads them, without ever writing the file.
std::shared_ptr<db::Recordset> openInNumberOrder(const QString& path, const QString& table) {
    return db::DBEngine()
        .OpenDatabase(path, db::sqlite::Access::ReadOnly)
        ->OpenRecordset(QStringLiteral("Select * From %1 Order By Numero")
                            .arg(db::sqlite::quoteIdentifier(table)));
}

class Verifier {
public:
    Verification run(const QString& path, const QString& table) {
        std::shared_ptr<db::Recordset> rows;
        try {
            rows = openInNumberOrder(path, table);
        } catch (const core::RuntimeError& error) {
            add(0, {}, error.description());
            return std::move(m_result);
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
        return std::move(m_result);
    }

private:
    void add(int row, const QString& value, const QString& rule) {
        m_result.violations.push_back({row, value, rule});
    }
    void warn(int number, const QString& text) { m_result.warnings.push_back({number, text}); }

    void checkRow(db::Recordset& rows, int row, int count) {
        const std::optional<std::int64_t> number =
            checkNumber(rows.Fields(u"Numero").Value(), row, count);
        if (!m_hasText)
            return;
        const int column = rows.FieldIndex(u"mensagem");
        const int at = rows.AbsolutePosition();
        const db::Variant text = rows.ValueAt(at, column);
        if (!checkText(text, row, rows.IsBinaryAt(at, column)) && number)
            warnAbout(static_cast<int>(*number), text.text(), rows.TextBytesAt(at, column));
    }

    std::optional<std::int64_t> checkNumber(const db::Variant& number, int row, int count) {
        const auto fault = [&](const QString& rule) {
            add(row, db::describe(number), rule);
            return std::nullopt;
        };
        if (number.isNull())
            return fault(QStringLiteral("Numero nulo"));
        const std::optional<std::int64_t> whole = data::wholeNumber(number);
        if (!whole)
            return fault(QStringLiteral("Numero não é um número inteiro"));
        if (*whole < -32768 || *whole > 32767)
            return fault(QStringLiteral("Numero não cabe em um inteiro de 16 bits"));
        if (*whole < 1 || *whole > count)
            return fault(
                QStringLiteral("Numero fora de 1 a %1 (a quantidade de mensagens)").arg(count));
        if (!m_seen.insert({*whole, row}).second)
            return fault(
                QStringLiteral("Numero repetido (já usado no registro %1)").arg(m_seen.at(*whole)));
        return whole;
    }

    // True when the text breaks a rule.
    bool checkText(const db::Variant& text, int row, bool binary) {
        if (text.isNull())
            add(row, db::describe(text), QStringLiteral("mensagem nula"));
        else if (binary)
            add(row, {}, QStringLiteral("mensagem não é um texto, e sim dados binários"));
        else if (text.type() != db::Variant::Type::Text)
            add(row, db::describe(text), QStringLiteral("mensagem não é um texto"));
        else if (text.text().trimmed().isEmpty())
            add(row, QStringLiteral("\"%1\"").arg(text.text()), QStringLiteral("mensagem vazia"));
        else
            return false;
        return true;
    }

    void warnAbout(int number, const QString& text, std::string_view bytes) {
        if (!core::text::isValidUtf8(bytes))
            warn(number, QStringLiteral("tem bytes que não são UTF-8 válido; o programa mostra "
                                        "\"\uFFFD\" no lugar deles"));
        if (const QString controls = controlCharacters(text); !controls.isEmpty())
            warn(number, QStringLiteral("tem caracteres de controle (%1), que o programa não "
                                        "mostra como o autor quis")
                             .arg(controls));
        if (!data::fitsMessageBox(text))
            warn(number, QStringLiteral("ocupa cerca de %1 linhas na caixa da mensagem, que "
                                        "mostra %2: o fim não aparece")
                             .arg(data::messageBoxLineCount(text))
                             .arg(data::messageBoxLines));
        if (needsProtectedLines(bytes))
            warn(number, QStringLiteral("só volta igual de \"exportar\" por meio de linhas "
                                        "protegidas (\"%\\\"), que outros programas do formato "
                                        "mostram como estão"));
        const std::string folded = core::text::fold(bytes);
        const auto [earlier, added] = m_folded.try_emplace(folded, number);
        if (!added)
            warn(number, QStringLiteral("é igual à mensagem %1, sem contar maiúsculas e acentos")
                             .arg(earlier->second));
    }

    // The distinct control characters of a text as U+XXXX, line breaks and tabs aside.
    static QString controlCharacters(const QString& text) {
        QStringList found;
        for (const QChar c : text) {
            if (c.category() != QChar::Other_Control || c == u'\n' || c == u'\t')
                continue;
            const QString code = QStringLiteral("U+") +
                                 QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
            if (!found.contains(code))
                found.append(code);
        }
        return found.join(QStringLiteral(", "));
    }

    Verification m_result;
    std::map<qint64, int> m_seen;
    std::unordered_map<std::string, int> m_folded;
    bool m_hasText = false;
};

} // namespace

Verification verifyCollection(const QString& path, const QString& table) {
    return Verifier().run(path, table);
}

void exportCollection(const QString& path, const QString& table, core::CheckedOutput& out) {
    const auto rows = openInNumberOrder(path, table);
    const int column = rows->FieldIndex(u"mensagem");
    std::string message;
    for (int row = 0; row < rows->RecordCount(); ++row, rows->MoveNext()) {
        message.clear();
        if (column >= 0 && rows->TypeAt(row, column) == db::Variant::Type::Text)
            appendMessage(message, rows->TextBytesAt(row, column));
        else
            appendMessage(message, data::currentMessageText(*rows).toUtf8().toStdString());
        out.write(message);
    }
}

} // namespace colecoes
