#include "frase/sources.h"

#include "data/collection_index.h"
#include "data/fortune.h"
#include "data/options_location.h"
#include "data/search.h"
#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"
#include "platform/core/system_errors.h"
#include "platform/core/text_fold.h"
#include "platform/database/engine.h"
#include "platform/database/like.h"
#include "platform/database/sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace frase {

namespace {

using namespace Qt::StringLiterals;
using core::ErrorCode;

// A collection database: the program's own (named by its title) or any file holding one table
// with the columns Numero and mensagem (named by the file's name). A sound collection carrying
// our indexes answers a count and a message from them; any other is read whole and judged as
// the program judges it, so that a fault is the same error with the same number.
class CollectionFile : public Source {
public:
    CollectionFile(std::shared_ptr<db::sqlite::Connection> connection, const QString& table,
                   const QString& title)
        : m_connection(std::move(connection)), m_table(table), m_title(title),
          m_rowSource(
              u"Select * From %1 Order By Numero"_s.arg(db::sqlite::quoteIdentifier(table))),
          m_source{u"", reinterpret_cast<const char16_t*>(m_table.utf16()),
                   reinterpret_cast<const char16_t*>(m_rowSource.utf16()),
                   reinterpret_cast<const char16_t*>(m_title.utf16()), u""} {}

    QString name() const override { return m_title; }
    QString dayKey() const override { return m_table; }

    int count() override {
        if (!m_count) {
            m_count = data::provenCount(*m_connection, m_table);
            m_proven = m_count.has_value();
        }
        if (!m_count)
            m_count = data::countCollection(rows(), m_source);
        return *m_count;
    }

    QString text(int number) override {
        if (!m_rows && m_proven)
            return data::provenMessage(*m_connection, m_table, static_cast<std::int16_t>(number));
        data::lookUpMessage(rows(), static_cast<std::int16_t>(number));
        return data::currentMessageText(rows());
    }

    std::vector<int> characterCounts() override {
        std::vector<int> counts;
        const int column = rows().FieldIndex(u"mensagem");
        for (int row = 0; row < count(); ++row)
            counts.push_back(storedCharacterCount(rows().TextBytesAt(row, column)));
        return counts;
    }

    std::vector<int> search(const QString& keyword) override {
        const QString criterion = data::keywordCriterion(keyword);
        std::vector<int> numbers;
        db::Recordset& all = rows();
        for (all.FindFirst(criterion); !all.NoMatch(); all.FindNext(criterion))
            numbers.push_back(data::currentNumber(all));
        return numbers;
    }

private:
    // Read and counted once, as the program reads a collection about to become current.
    db::Recordset& rows() {
        if (!m_rows) {
            db::Database database(m_connection);
            m_rows = data::openRows(database, m_source);
            m_count = data::countCollection(*m_rows, m_source);
        }
        return *m_rows;
    }

    std::shared_ptr<db::sqlite::Connection> m_connection;
    QString m_table;
    QString m_title;
    QString m_rowSource;
    data::CollectionSource m_source;
    std::optional<std::int16_t> m_count;
    bool m_proven = false;
    std::shared_ptr<db::Recordset> m_rows;
};

// Opened by the bytes of its name, so that a file named in any bytes is read.
void openByBytes(QFile& file, const QString& path) {
    const int descriptor = ::open(core::bytesOfFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        core::raise(ErrorCode::FileNotFound,
                    u"Não foi possível ler \"%1\": %2."_s.arg(core::displayable(path),
                                                              core::systemErrorText(errno)));
}

// A fortune text file, read whole the way quelmar-colecoes criar reads it, in UTF-8 or, when
// it is not valid UTF-8, Windows-1252.
class FortuneFile : public Source {
public:
    explicit FortuneFile(const QString& path) : m_name(QFileInfo(path).fileName()) {
        QFile file;
        openByBytes(file, path);
        // Read as UTF-8, the usual case, in one pass; a file that is not is read again as Auto.
        const auto keep = [this](std::string_view text) { m_messages.emplace_back(text); };
        data::SourceReader reader(keep);
        reader.read(file, path, data::Encoding::Utf8);
        if (reader.failed() && file.seek(0)) {
            m_messages.clear();
            reader = data::SourceReader(keep);
            reader.read(file, path, data::resolveEncoding(data::Encoding::Auto, file));
        }
        if (reader.failed()) {
            const data::SourceError& first = reader.errors().front();
            core::raise(ErrorCode::CollectionUnusable,
                        u"%1:%2: %3."_s.arg(first.source).arg(first.line).arg(first.reason));
        }
    }

    QString name() const override { return m_name; }
    QString dayKey() const override { return m_name; }
    int count() override { return static_cast<int>(m_messages.size()); }
    QString text(int number) override {
        return QString::fromUtf8(m_messages[static_cast<std::size_t>(number - 1)]);
    }

    std::vector<int> characterCounts() override {
        std::vector<int> counts;
        for (const std::string& message : m_messages)
            counts.push_back(storedCharacterCount(message));
        return counts;
    }

    std::vector<int> search(const QString& keyword) override {
        // The Find window's pattern: the keyword with a blank on each side.
        const db::LikePattern pattern(core::text::fold(u"* "_s + keyword + u" *"_s));
        std::vector<int> numbers;
        for (std::size_t i = 0; i < m_messages.size(); ++i)
            if (pattern.matches(core::text::fold(std::string_view(m_messages[i]))))
                numbers.push_back(static_cast<int>(i + 1));
        return numbers;
    }

private:
    QString m_name;
    std::vector<std::string> m_messages;
};

bool isDatabase(const QString& path) {
    QFile file;
    openByBytes(file, path);
    return file.read(16) == QByteArray("SQLite format 3", 16);
}

// The one table of the file with both columns, in any letter case.
QString collectionTable(db::sqlite::Connection& connection) {
    db::sqlite::Statement tables(
        connection, u"SELECT m.name FROM sqlite_master AS m WHERE m.type = 'table' AND "
                    u"(SELECT count(*) FROM pragma_table_info(m.name) WHERE lower(name) IN "
                    u"('numero', 'mensagem')) = 2 ORDER BY m.name"_s);
    QStringList found;
    while (tables.step())
        found << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(tables.handle(), 0)));
    if (found.size() != 1)
        core::raise(
            ErrorCode::TableNotFound,
            found.isEmpty()
                ? u"\"%1\" não tem uma tabela com as colunas Numero e mensagem."_s.arg(
                      connection.path())
                : u"\"%1\" tem mais de uma tabela com as colunas Numero e mensagem (%2); deixe "
                  u"só uma."_s.arg(connection.path(), found.join(u", "_s)));
    return found.front();
}

std::unique_ptr<Source> fileSource(const QString& path) {
    if (!isDatabase(path))
        return std::make_unique<FortuneFile>(path);
    auto connection = db::sqlite::Connection::open(path, db::sqlite::Access::ReadOnly);
    const QString table = collectionTable(*connection);
    return std::make_unique<CollectionFile>(std::move(connection), table,
                                            QFileInfo(path).fileName());
}

} // namespace

int storedCharacterCount(std::string_view utf8) {
    int count = 0;
    for (const char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

std::unique_ptr<Source> collection(const QString& programDirectory,
                                   const data::CollectionSource& which) {
    return std::make_unique<CollectionFile>(
        db::sqlite::Connection::open(data::locateCollection(programDirectory, which).path,
                                     db::sqlite::Access::ReadOnly),
        QString::fromUtf16(which.table), QString::fromUtf16(which.title));
}

Sources sourcesNamed(const QString& programDirectory, const QString& argument) {
    Sources sources;
    const QString lower = argument.toLower();
    if (lower == u"quelmar" || lower == u"tarvenas") {
        sources.push_back(collection(programDirectory, lower == u"quelmar"
                                                           ? data::quelmarCollection
                                                           : data::tarvenasCollection));
        return sources;
    }
    struct stat info {};
    if (::stat(core::bytesOfFileName(argument).constData(), &info) != 0)
        core::raise(ErrorCode::FileNotFound,
                    u"\"%1\" não é uma coleção (quelmar ou tarvenas), nem um arquivo ou pasta "
                    u"que exista."_s.arg(core::displayable(argument)));
    if (!S_ISDIR(info.st_mode)) {
        sources.push_back(fileSource(argument));
        return sources;
    }
    for (const QString& path : data::fortuneFilesIn(argument))
        sources.push_back(fileSource(path));
    if (sources.empty())
        core::raise(ErrorCode::FileNotFound,
                    u"a pasta \"%1\" não tem nenhum arquivo de mensagens."_s.arg(
                        core::displayable(argument)));
    return sources;
}

} // namespace frase
