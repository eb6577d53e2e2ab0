#pragma once

#include <QString>
#include <vector>

namespace colecoes {

struct Violation {
    int row = 0;   // position in Numero order, from 1; 0 for the collection as a whole
    QString value; // the value at fault, if any
    QString rule;
};

// What the program would show differently from what the collection's author meant, or what
// the text format would not give back as it is; the program still works.
struct Warning {
    int number = 0; // the message's number
    QString text;
};

struct Verification {
    std::vector<Violation> violations;
    std::vector<Warning> warnings;
};

// Checks a collection, opened read-only, against everything the program relies on: the file
// opens, the table and both columns exist, 1 to 32767 rows, numbers exactly 1..N, no null or
// empty number or text. Warns about messages alike but for letter case and accents, control
// characters, bytes that are not UTF-8, messages longer than the message box shows and messages
// that come back from the text format only through protected lines.
Verification verifyCollection(const QString& path, const QString& table);

} // namespace colecoes
