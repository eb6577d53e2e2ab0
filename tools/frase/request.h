#pragma once

#include "data/collections.h"
#include "platform/card/card_content.h"
#include "platform/core/command_line.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

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
    // Where the messages come from, as given after the options: collection names, files and
    // folders. None: the collection of -c.
    QStringList sources;
    // A card of the message written to this file ("-": standard output) instead of the text.
    std::optional<QString> cardFile;
    QSize cardSize = card::defaultSize;
};

// Messages of at most this many characters are short, as fortune counts them.
inline constexpr int shortestLong = 161;

// quelmar-frase's options; a new option is one more line in request.cpp.
const core::CommandLine& commandLine();

// What the options ask for; raises a usage failure when they do not agree.
Request requestFrom(const core::CommandArguments& arguments);

} // namespace frase
