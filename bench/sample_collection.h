#pragma once

#include "data/collections.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Portuguese-like messages of about `length` characters, some with accents. The same seed
// gives the same messages on every machine, so runs can be compared.
std::vector<std::string> makeMessages(int count, int length, std::uint32_t seed);

// The messages with `word` (blanks around it included) put in place of a blank in the second
// half of every `every`-th message, so that a keyword search meets one message in `every`.
std::vector<std::string> withWordEvery(std::vector<std::string> messages, std::string_view word,
                                       std::size_t every);

// Writes the messages as a collection numbered 1..N, in the layout the collection tool uses.
// Any SQLite failure ends the program: there is nothing to measure without the file.
void writeCollection(const QString& path, const QString& table,
                     const std::vector<std::string>& messages);

// The same, as `source` in the program directory `directory`, where the program looks for it.
void writeCollection(const QString& directory, const data::CollectionSource& source,
                     const std::vector<std::string>& messages);

} // namespace bench
