#pragma once

#include "platform/database/engine.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace data {

// Where a message collection lives, how its rows are read and what it is called.
struct CollectionSource {
    const char16_t* fileName; // appended to the program directory; begins with the separator
    const char16_t* table;
    const char16_t* rowSource;
    const char16_t* title; // the collection's name as the user knows it
    const char16_t* name;  // the collection's name on the command line
};

inline constexpr CollectionSource quelmarCollection{u"/quelmar.mdb", u"QuelmarOrivela",
                                                    u"Select * From QuelmarOrivela Order By Numero",
                                                    u"Quelmar de Orivela", u"quelmar"};
inline constexpr CollectionSource tarvenasCollection{u"/tarvenas.mdb", u"Tarvenas_tab",
                                                     u"Select * From Tarvenas_tab Order By Numero",
                                                     u"Tarvenas de Cendra", u"tarvenas"};

inline constexpr std::int16_t largestCollection = 32767;

// The program directory exactly as given, followed by the file name.
QString collectionPath(const QString& programDirectory, const CollectionSource& source);

// The collection's database, opened by the program's start-up. Every fault of the user's own
// file of a collection, here and below, also says how to go back to the installed one.
std::shared_ptr<db::Database> openCollectionFile(const QString& path,
                                                 const CollectionSource& source);

// The collection's rows in number order. A table without a Numero column is error 106, and
// rows that take longer to read than any file of messages could (a view without end, a file
// of gigabytes) error 113 saying so with the file's size, both named as the collection's fault.
std::shared_ptr<db::Recordset> openRows(db::Database& database, const CollectionSource& source,
                                        db::TextFolding folding = db::TextFolding::WhileReading);

// floor(total * r + 1) for 0 <= r < 1: the count taken to single precision, the product and
// the sum in double precision, where both are exact. The result lies in 1..total.
std::int16_t randomMessageNumber(std::int16_t total, float r);

// The collection about to become current, judged: MoveLast, the row count as a 16-bit number,
// MoveFirst; then every row against what the program relies on (see collectionFault). Each
// fault is a run-time error naming the file and the table: no rows 107, more than 32767 rows
// 201, no mensagem column 106, any other fault 113.
std::int16_t countCollection(db::Recordset& collection, const CollectionSource& source);

// The first fault of rows read in number order, in words for the user, or nothing: each row
// has a Numero that is a whole number and a mensagem that is neither null nor binary data (a
// number is fine: it is shown as text), and the numbers are exactly 1..N. A number that is
// missing or not whole is reported before the gap it leaves. Two passes over the rows in memory,
// building none of their texts.
std::optional<QString> collectionFault(const db::Recordset& rows, int numberColumn, int textColumn);

// The rules shared with the collection tool.
// A message number as the rules take it: an integer, or a real without a fraction. A text
// never is one, not even when it spells a number.
std::optional<std::int64_t> wholeNumber(const db::Variant& value);
// Why the numbers must run from 1 to `count`, as the end of a sentence.
QString numberingRule(int count);

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
