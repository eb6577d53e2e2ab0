#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Portuguese-like messages of about `length` characters, some with accents. The same seed
// gives the same messages on every machine, so runs can be compared.
std::vector<std::string> makeMessages(int count, int length, std::uint32_t seed);

// Writes the messages as a collection numbered 1..N, in the layout the collection tool uses.
// Any SQLite failure ends the program: there is nothing to measure without the file.
void writeCollection(const QString& path, const QString& table,
                     const std::vector<std::string>& messages);

} // namespace bench
