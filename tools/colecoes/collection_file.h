#pragma once

#include <QString>
#include <vector>

namespace colecoes {

// Writes a new collection database: table `table` with Numero (SMALLINT, 1..N in the given
// order, the primary key) and mensagem (TEXT). The file is built under a temporary name and
// renamed into place, so a failure never leaves a half-built collection at `path`.
// Returns an empty text on success, otherwise the reason.
QString createCollection(const QString& path, const QString& table,
                         const std::vector<QString>& messages);

// Writes a new options database with its one row (IniCom 1, SegTem 15, ComTem true); refuses
// to replace an existing file.
QString createOptions(const QString& path);

struct Violation {
    int row = 0;   // position in Numero order, from 1; 0 for the collection as a whole
    QString value; // the value at fault, if any
    QString rule;
};

// Checks a collection against everything the program relies on: the file opens, the table and
// both columns exist, 1 to 32767 rows, numbers exactly 1..N, no null or empty number or text.
std::vector<Violation> verifyCollection(const QString& path, const QString& table);

// The messages of a collection in Numero order; raises the engine's error if it cannot be read.
std::vector<QString> readCollection(const QString& path, const QString& table);

bool isValidTableName(const QString& table);

} // namespace colecoes
