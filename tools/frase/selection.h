#pragma once

#include "data/collections.h"
#include "frase/request.h"
#include "platform/database/recordset.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

namespace frase {

struct Message {
    std::int16_t number = 0;
    QString text;
};

// The messages a request asks for, in number order; none, with the reason in words, when
// nothing fits.
struct Selection {
    std::vector<Message> messages;
    QString nothing;
};

// `collection` is the current collection as the program has it after counting it: `count`
// messages numbered 1..count in number order. Numbers are looked up and words searched the way
// the main window and the Find window do.
Selection selectMessages(const Request& request, const data::CollectionSource& source,
                         db::Recordset& collection, std::int16_t count);

// Which of `count` candidates is the message of the day: the same all day, another the next day,
// and every candidate once before any comes back. Each collection runs through its own order.
int dayIndex(QDate day, const data::CollectionSource& source, int count);

// Characters as the user counts them: a letter outside the basic plane is one, not two.
int characterCount(QStringView text);

} // namespace frase
