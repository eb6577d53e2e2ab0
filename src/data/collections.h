#pragma once

#include "platform/database/engine.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace data {

// Where a message collection lives and how its rows are read.
struct CollectionSource {
    const char16_t* fileName; // appended to the program directory; begins with the separator
    const char16_t* table;
    const char16_t* rowSource;
};

inline constexpr CollectionSource quelmarCollection{
    u"/quelmar.mdb", u"QuelmarOrivela", u"Select * From QuelmarOrivela Order By Numero"};
inline constexpr CollectionSource tarvenasCollection{u"/tarvenas.mdb", u"Tarvenas_tab",
                                                     u"Select * From Tarvenas_tab Order By Numero"};

inline constexpr std::int16_t largestCollection = 32767;

// The program directory exactly as given, followed by the file name.
QString collectionPath(const QString& programDirectory, const CollectionSource& source);

std::shared_ptr<db::Recordset> openRows(db::Database& database, const CollectionSource& source);

// floor(total * r + 1) for 0 <= r < 1: the count taken to single precision, the product and
// the sum in double precision, where both are exact. The result lies in 1..total.
std::int16_t randomMessageNumber(std::int16_t total, float r);

// MoveLast, the row count as a 16-bit number (more rows is an overflow), MoveFirst.
std::int16_t countCollection(db::Recordset& collection);

// "Numero = " followed by the number's plain form.
QString numberCriterion(std::int16_t number);

// FindFirst with the number's criterion. Whether it matched is left to the caller.
void lookUpMessage(db::Recordset& collection, std::int16_t number);

QString currentMessageText(db::Recordset& collection);
// The current row's number as the number box shows it: plain form.
QString currentNumberText(db::Recordset& collection);
// The current row's number for the scroll bar (16 bits, overflow checked).
std::int16_t currentNumber(db::Recordset& collection);

} // namespace data
