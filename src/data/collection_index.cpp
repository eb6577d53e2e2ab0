#include "data/collection_index.h"

#include "data/collections.h"
#include "platform/database/variant.h"

#include <sqlite3.h>

namespace data {

namespace {

QString numberIndex(const QString& table) {
    return db::sqlite::quoteIdentifier(table + QStringLiteral("_Numero"));
}

QString faultIndex(const QString& table) {
    return db::sqlite::quoteIdentifier(table + QStringLiteral("_falhas"));
}

// Numbers stored as text are not whole numbers to the program, and a number in place of a text
// is shown as one.
const char* const faultyRow =
    "typeof(Numero) <> 'integer' OR typeof(mensagem) NOT IN ('text', 'integer', 'real')";

// The first column of the one row the query gives, or a null value when it gives none.
db::Variant firstValue(db::sqlite::Connection& connection, const QString& sql,
                       std::optional<std::int16_t> number = std::nullopt) {
    db::sqlite::Statement statement(connection, sql);
    if (number)
        statement.bind(1, std::int64_t{*number});
    if (!statement.step())
        return {};
    sqlite3_stmt* row = statement.handle();
    switch (sqlite3_column_type(row, 0)) {
    case SQLITE_INTEGER:
        return std::int64_t{sqlite3_column_int64(row, 0)};
    case SQLITE_FLOAT:
        return sqlite3_column_double(row, 0);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, 0));
        return QString::fromUtf8(text, sqlite3_column_bytes(row, 0));
    }
    default:
        return {};
    }
}

bool carriesOurIndexes(db::sqlite::Connection& connection, const QString& table) {
    db::sqlite::Statement query(connection,
                                QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                               "'index' AND sql IN (?1, ?2)"));
    const QStringList statements = collectionIndexStatements(table);
    query.bind(1, statements[0]);
    query.bind(2, statements[1]);
    return query.step() && sqlite3_column_int(query.handle(), 0) == 2;
}

} // namespace

QStringList collectionIndexStatements(const QString& table) {
    const QString quoted = db::sqlite::quoteIdentifier(table);
    return {QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (Numero)").arg(numberIndex(table), quoted),
            QStringLiteral("CREATE INDEX %1 ON %2 (Numero) WHERE %3")
                .arg(faultIndex(table), quoted, QLatin1StringView(faultyRow))};
}

std::optional<std::int16_t> provenCount(db::sqlite::Connection& connection, const QString& table) {
    if (!carriesOurIndexes(connection, table))
        return std::nullopt;
    const QString quoted = db::sqlite::quoteIdentifier(table);
    const QString byNumber = quoted + QStringLiteral(" INDEXED BY ") + numberIndex(table);
    // INDEXED BY makes each answer come from the index or not at all.
    const db::Variant faulty =
        firstValue(connection, QStringLiteral("SELECT 1 FROM %1 INDEXED BY %2 WHERE %3 LIMIT 1")
                                   .arg(quoted, faultIndex(table), QLatin1StringView(faultyRow)));
    const db::Variant count =
        firstValue(connection, QStringLiteral("SELECT count(*) FROM %1").arg(byNumber));
    const db::Variant smallest =
        firstValue(connection, QStringLiteral("SELECT min(Numero) FROM %1").arg(byNumber));
    const db::Variant largest =
        firstValue(connection, QStringLiteral("SELECT max(Numero) FROM %1").arg(byNumber));
    if (!faulty.isNull() || count.type() != db::Variant::Type::Integer || count.integer() < 1 ||
        count.integer() > largestCollection || smallest != db::Variant(std::int64_t{1}) ||
        largest != count)
        return std::nullopt;
    return static_cast<std::int16_t>(count.integer());
}

QString provenMessage(db::sqlite::Connection& connection, const QString& table,
                      std::int16_t number) {
    return firstValue(connection,
                      QStringLiteral("SELECT mensagem FROM %1 INDEXED BY %2 WHERE Numero = ?1")
                          .arg(db::sqlite::quoteIdentifier(table), numberIndex(table)),
                      number)
        .toText();
}

} // namespace data
