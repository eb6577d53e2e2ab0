#include "data/collections.h"

#include "platform/toolkit/conversions.h"

#include <cmath>

namespace data {

QString collectionPath(const QString& programDirectory, const CollectionSource& source) {
    return programDirectory + QString::fromUtf16(source.fileName);
}

std::shared_ptr<db::Recordset> openRows(db::Database& database, const CollectionSource& source) {
    return database.OpenRecordset(QString::fromUtf16(source.rowSource));
}

std::int16_t randomMessageNumber(std::int16_t total, float r) {
    const double scaled = toolkit::checkedProduct(double(float(total)), double(r)) + 1.0;
    return toolkit::toInt16(std::floor(scaled));
}

std::int16_t countCollection(db::Recordset& collection) {
    collection.MoveLast();
    const std::int16_t count = toolkit::toInt16(std::int64_t{collection.RecordCount()});
    collection.MoveFirst();
    return count;
}

QString numberCriterion(std::int16_t number) {
    return QStringLiteral("Numero = ") + toolkit::plainForm(std::int64_t{number});
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
    return toolkit::toInt16(collection.Fields(u"Numero").Value().toDouble());
}

} // namespace data
