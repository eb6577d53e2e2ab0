#include "data/collections.h"

#include "data/options_location.h"
#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/database/sqlite.h"

#include <cmath>

namespace data {

using core::ErrorCode;

namespace {

// What a fault of the file at `path` adds when that file is the user's own.
QString wayBackFrom(const QString& path, const CollectionSource& source) {
    if (path != userCollectionPath(source))
        return {};
    return QStringLiteral("\n\nEste arquivo é a sua própria coleção %1, posta no lugar da "
                          "instalada. Para voltar à coleção instalada, use o comando: "
                          "quelmar-colecoes restaurar %2")
        .arg(QString::fromUtf16(source.title), QString::fromUtf16(source.name));
}

// How every fault of a collection begins: A coleção "…/quelmar.mdb" (tabela QuelmarOrivela).
[[noreturn]] void collectionError(ErrorCode code, const QString& path,
                                  const CollectionSource& source, const QString& fault) {
    core::raise(code, QStringLiteral("A coleção \"%1\" (tabela %2) %3")
                              .arg(path, QString::fromUtf16(source.table), fault) +
                          wayBackFrom(path, source));
}

[[noreturn]] void missingColumn(const QString& path, const CollectionSource& source,
                                const QString& column, const QString& purpose) {
    collectionError(
        ErrorCode::ColumnNotFound, path, source,
        QStringLiteral("não tem a coluna \"%1\", com %2 de cada mensagem.").arg(column, purpose));
}

int requireColumn(const db::Recordset& rows, const CollectionSource& source, const QString& column,
                  const QString& purpose) {
    const int index = rows.FieldIndex(column);
    if (index < 0)
        missingColumn(rows.DatabaseName(), source, column, purpose);
    return index;
}

// A stored text in quotes, so that a word reads as the value it is.
QString quoted(const db::Variant& value) {
    if (value.type() == db::Variant::Type::Text)
        return u'"' + value.text() + u'"';
    return db::describe(value);
}

// A number that is missing or not a whole number explains the gap it leaves, so it is looked for
// before the numbering.
std::optional<QString> numberTypeFault(const db::Variant& number) {
    if (number.isNull())
        return QStringLiteral("há uma mensagem sem número (o campo Numero é nulo)");
    if (!wholeNumber(number))
        return QStringLiteral("o número %1 não é um número inteiro").arg(quoted(number));
    return std::nullopt;
}

std::optional<QString> numberingFault(std::int64_t number, std::int64_t expected, int count) {
    if (number == expected)
        return std::nullopt;
    if (number < 1 || number > count)
        return QStringLiteral("o número %1 está fora da faixa").arg(number);
    if (number < expected)
        return QStringLiteral("o número %1 se repete").arg(number);
    return QStringLiteral("falta a mensagem de número %1").arg(expected);
}

std::optional<QString> textFault(const db::Recordset& rows, int row, int textColumn,
                                 std::int64_t number) {
    if (rows.TypeAt(row, textColumn) == db::Variant::Type::Null)
        return QStringLiteral("a mensagem de número %1 não tem texto (o campo mensagem é nulo)")
            .arg(number);
    if (rows.IsBinaryAt(row, textColumn))
        return QStringLiteral("a mensagem de número %1 não é um texto, e sim dados binários")
            .arg(number);
    return std::nullopt;
}

} // namespace

QString collectionPath(const QString& programDirectory, const CollectionSource& source) {
    return programDirectory + QString::fromUtf16(source.fileName);
}

std::shared_ptr<db::Database> openCollectionFile(const QString& path,
                                                 const CollectionSource& source) {
    try {
        return db::DBEngine().Workspaces(0).OpenDatabase(path);
    } catch (const core::RuntimeError& error) {
        core::raise(error.code(), error.description() + wayBackFrom(path, source));
    }
}

std::shared_ptr<db::Recordset> openRows(db::Database& database, const CollectionSource& source,
                                        db::TextFolding folding) {
    try {
        return database.OpenRecordset(QString::fromUtf16(source.rowSource), folding);
    } catch (const db::sqlite::TimeLimitExceeded& error) {
        collectionError(ErrorCode::CollectionUnusable, database.Name(), source,
                        QStringLiteral("não pode ser usada: %1.").arg(error.cause()));
    } catch (const core::RuntimeError& error) {
        // The statement names no column but the one it orders by.
        if (error.code() != ErrorCode::ColumnNotFound)
            core::raise(error.code(), error.description() + wayBackFrom(database.Name(), source));
        missingColumn(database.Name(), source, QStringLiteral("Numero"),
                      QStringLiteral("o número"));
    }
}

std::optional<std::int64_t> wholeNumber(const db::Variant& value) {
    // Beyond this a real's whole value no longer fits a 64-bit number.
    constexpr double wholeLimit = 9.2e18;
    if (value.type() == db::Variant::Type::Integer)
        return value.integer();
    if (value.type() == db::Variant::Type::Double && value.real() == std::trunc(value.real()) &&
        std::fabs(value.real()) < wholeLimit)
        return static_cast<std::int64_t>(value.real());
    return std::nullopt;
}

QString numberingRule(int count) {
    if (count == 1)
        return QStringLiteral("numa coleção de uma só mensagem, ela precisa ter o número 1");
    return QStringLiteral("numa coleção de %1 mensagens, elas precisam estar numeradas de 1 a %1, "
                          "sem faltar nem repetir nenhum número")
        .arg(count);
}

std::optional<QString> collectionFault(const db::Recordset& rows, int numberColumn,
                                       int textColumn) {
    const int count = rows.RecordCount();
    for (int row = 0; row < count; ++row) {
        // Nearly every number is stored as an integer; only the others need their value built.
        if (rows.TypeAt(row, numberColumn) == db::Variant::Type::Integer)
            continue;
        if (auto fault = numberTypeFault(rows.ValueAt(row, numberColumn)))
            return *fault + QStringLiteral("; ") + numberingRule(count);
    }
    for (int row = 0; row < count; ++row) {
        const std::int64_t expected = row + 1;
        const std::int64_t number = *wholeNumber(rows.ValueAt(row, numberColumn));
        if (auto fault = numberingFault(number, expected, count))
            return *fault + QStringLiteral("; ") + numberingRule(count);
        if (auto fault = textFault(rows, row, textColumn, expected))
            return fault;
    }
    return std::nullopt;
}

std::int16_t randomMessageNumber(std::int16_t total, float r) {
    const double scaled = core::checkedProduct(double(float(total)), double(r)) + 1.0;
    return core::toInt16(std::floor(scaled));
}

// The count is checked before the moves, so that an empty or oversized collection is named as
// such rather than as a missing record or a number too large.
std::int16_t countCollection(db::Recordset& collection, const CollectionSource& source) {
    const QString& path = collection.DatabaseName();
    const int rows = collection.RecordCount();
    if (rows == 0)
        collectionError(ErrorCode::NoCurrentRecord, path, source,
                        QStringLiteral("está vazia: não tem nenhuma mensagem."));
    if (rows > largestCollection)
        collectionError(ErrorCode::Overflow, path, source,
                        QStringLiteral("tem %1 mensagens, mais do que as %2 que o programa aceita.")
                            .arg(rows)
                            .arg(largestCollection));
    collection.MoveLast();
    const std::int16_t count = core::toInt16(std::int64_t{collection.RecordCount()});
    collection.MoveFirst();
    const int numberColumn =
        requireColumn(collection, source, QStringLiteral("Numero"), QStringLiteral("o número"));
    const int textColumn =
        requireColumn(collection, source, QStringLiteral("mensagem"), QStringLiteral("o texto"));
    if (const std::optional<QString> fault = collectionFault(collection, numberColumn, textColumn))
        collectionError(ErrorCode::CollectionUnusable, path, source,
                        QStringLiteral("não pode ser usada: %1.").arg(*fault));
    return count;
}

QString numberCriterion(std::int16_t number) {
    return QStringLiteral("Numero = ") + core::plainForm(std::int64_t{number});
}

void lookUpMessage(db::Recordset& collection, std::int16_t number) {
    collection.FindFirst(numberCriterion(number));
}

QString currentMessageText(db::Recordset& collection) {
    return collection.Fields(u"mensagem").Value().toText();
}

QString currentNumberText(db::Recordset& collection) {
    return collection.Fields(u"Numero").Value().toText();
}

std::int16_t currentNumber(db::Recordset& collection) {
    return core::toInt16(collection.Fields(u"Numero").Value().toDouble());
}

} // namespace data
