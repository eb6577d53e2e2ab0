#pragma once

#include <QString>

namespace core {

// What a system error number means, in Portuguese words that fit after a colon in a sentence
// ("não foi possível ler \"x\": o arquivo não existe"). For a number without wording of its own
// the number is given with the system's words in parentheses, never the system's words alone.
QString systemErrorText(int error);

} // namespace core
