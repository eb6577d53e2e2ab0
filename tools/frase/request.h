#pragma once

#include "data/collections.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <variant>

namespace frase {

// What the user asked for on the command line.
struct Request {
    enum class Choice { Random, Number, Search, OfTheDay };
    enum class Length { Any, Short, Long };

    Choice choice = Choice::Random;
    // None: the start-up collection of the saved options.
    const data::CollectionSource* collection = nullptr;
    std::int64_t number = 0;
    QString keyword;
    QDate day; // for the message of the day; today when not given
    Length length = Length::Any;
    std::optional<int> longest;
    bool textOnly = false;
    bool notify = false;
};

// Messages of at most this many characters are short, as fortune counts them.
inline constexpr int shortestLong = 161;

struct Help {};
struct Version {};
struct UsageError {
    QString problem;
};

using Parsed = std::variant<Request, Help, Version, UsageError>;

// Options as GNU programs take them: "-n 12", "-n12", "--numero 12", "--numero=12", short
// flags together ("-qd"), "--" before anything that is not an option.
Parsed parseArguments(const QStringList& arguments);

} // namespace frase
