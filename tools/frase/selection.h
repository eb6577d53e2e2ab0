#pragma once

#include "frase/request.h"
#include "frase/sources.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <vector>

namespace frase {

struct Message {
    Source* source = nullptr;
    int number = 0;
    QString text;
};

// The messages a request asks for, in source and number order; none, with the reason in words,
// when nothing fits.
struct Selection {
    std::vector<Message> messages;
    QString nothing;
};

// Over every source at once: a random pick gives each message of each source the same chance,
// and the message of the day walks through all of them. A number is looked up in the first
// source (the caller allows -n with one source only). A random pick or a number with no length
// filter reads only the counts and the one message.
Selection selectMessages(const Request& request, const Sources& sources);

// Which of `count` candidates is the message of the day: the same all day, another the next day,
// and every candidate once before any comes back. Each `key` (a collection's table name) runs
// through its own order.
int dayIndex(QDate day, QStringView key, int count);

// Characters as the user counts them: a letter outside the basic plane is one, not two.
int characterCount(QStringView text);

} // namespace frase
