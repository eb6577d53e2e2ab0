#pragma once

#include "platform/database/sqlite.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What a collection file carries so that a command can answer one message without reading the
// rows: two indexes, which SQLite keeps up to date with every write, whoever writes.
//   - a unique index on Numero: the rows are counted and a number looked up through it;
//   - an index of exactly the rows that break a rule of their own (a Numero that is not an
//     integer, a mensagem that is null or binary data).
// When the second is empty, the numbers are distinct integers; if the smallest is 1 and the
// largest the row count, they are exactly 1..N. That is every rule collectionFault checks, so
// a collection proven here is one the full check accepts.
namespace data {

// The statements that make the two indexes of `table` (a name collectionFault's callers use).
QStringList collectionIndexStatements(const QString& table);

// The row count when the indexes prove the collection sound and it holds 1..32767 rows;
// nothing when they are missing, differ from ours, or a rule is broken: the full check then
// names the fault in the program's own words.
std::optional<std::int16_t> provenCount(db::sqlite::Connection& connection, const QString& table);

// The text of message `number`, read through the Numero index, as the program shows it.
QString provenMessage(db::sqlite::Connection& connection, const QString& table,
                      std::int16_t number);

} // namespace data
