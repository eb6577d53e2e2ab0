#include "frase/selection.h"

#include "data/search.h"
#include "platform/core/random_source.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace frase {

namespace {

using namespace Qt::StringLiterals;

bool isFiltered(const Request& request) {
    return request.length != Request::Length::Any || request.longest.has_value();
}

bool passes(const Request& request, int characters) {
    if (request.length == Request::Length::Short && characters >= shortestLong)
        return false;
    if (request.length == Request::Length::Long && characters < shortestLong)
        return false;
    return !request.longest || characters <= *request.longest;
}

// Counting UTF-8 lead bytes gives the characters without building the text.
int storedCharacterCount(std::string_view utf8) {
    int count = 0;
    for (const char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

Message current(db::Recordset& collection) {
    return {data::currentNumber(collection), data::currentMessageText(collection)};
}

QString filterWords(const Request& request) {
    QStringList words;
    if (request.length == Request::Length::Short)
        words << u"curtas (até %1 caracteres)"_s.arg(shortestLong - 1);
    if (request.length == Request::Length::Long)
        words << u"longas (mais de %1 caracteres)"_s.arg(shortestLong - 1);
    if (request.longest)
        words << u"de até %1 caracteres"_s.arg(*request.longest);
    return words.join(u", "_s);
}

// Whether the collection has message `number`, which then becomes the current one.
bool lookUp(db::Recordset& collection, std::int64_t number) {
    if (number < 1 || number > data::largestCollection)
        return false;
    data::lookUpMessage(collection, static_cast<std::int16_t>(number));
    return !collection.NoMatch();
}

Selection byNumber(const Request& request, const data::CollectionSource& source,
                   db::Recordset& collection) {
    const QString title = QString::fromUtf16(source.title);
    if (!lookUp(collection, request.number))
        return {{}, u"%1 não tem a mensagem nº %2."_s.arg(title).arg(request.number)};
    Message found = current(collection);
    const int characters = characterCount(found.text);
    if (!passes(request, characters))
        return {{},
                u"a mensagem nº %1 de %2 tem %3 caracteres e não é das pedidas: %4."_s
                    .arg(request.number)
                    .arg(title)
                    .arg(characters)
                    .arg(filterWords(request))};
    return {{std::move(found)}, {}};
}

// The Find window's criterion, run from the first message to the last.
Selection bySearch(const Request& request, const data::CollectionSource& source,
                   db::Recordset& collection) {
    const QString criterion = data::keywordCriterion(request.keyword);
    Selection selection;
    for (collection.FindFirst(criterion); !collection.NoMatch(); collection.FindNext(criterion)) {
        Message found = current(collection);
        if (passes(request, characterCount(found.text)))
            selection.messages.push_back(std::move(found));
    }
    if (selection.messages.empty()) {
        const QString filters =
            isFiltered(request) ? u" entre as "_s + filterWords(request) : QString();
        selection.nothing = u"nenhuma mensagem de %1 tem a palavra \"%2\"%3."_s.arg(
            QString::fromUtf16(source.title), request.keyword, filters);
        // The word must stand between blanks, so one that touches a stop or another word is
        // missed; a wildcard on each side finds it there too.
        if (!request.keyword.contains(u'*'))
            selection.nothing += u" Para achá-la também junto de pontuação ou dentro de outra "
                                 u"palavra, busque \"*%1*\"."_s.arg(request.keyword);
    }
    return selection;
}

std::vector<std::int16_t> candidates(const Request& request, db::Recordset& collection,
                                     std::int16_t count) {
    std::vector<std::int16_t> numbers;
    const int textColumn = collection.FieldIndex(u"mensagem");
    for (int row = 0; row < count; ++row)
        if (!isFiltered(request) ||
            passes(request, storedCharacterCount(collection.TextBytesAt(row, textColumn))))
            numbers.push_back(static_cast<std::int16_t>(row + 1));
    return numbers;
}

std::int16_t randomPick(const std::vector<std::int16_t>& numbers) {
    core::ClockRandom random;
    random.reseedFromClock();
    const std::int16_t drawn =
        data::randomMessageNumber(static_cast<std::int16_t>(numbers.size()), random.next());
    return numbers[static_cast<std::size_t>(drawn - 1)];
}

} // namespace

Selection selectMessages(const Request& request, const data::CollectionSource& source,
                         db::Recordset& collection, std::int16_t count) {
    if (request.choice == Request::Choice::Number)
        return byNumber(request, source, collection);
    if (request.choice == Request::Choice::Search)
        return bySearch(request, source, collection);
    const std::vector<std::int16_t> numbers = candidates(request, collection, count);
    if (numbers.empty())
        return {{},
                u"%1 não tem mensagens %2."_s.arg(QString::fromUtf16(source.title),
                                                  filterWords(request))};
    const std::int16_t chosen = request.choice == Request::Choice::OfTheDay
                                    ? numbers[static_cast<std::size_t>(dayIndex(
                                          request.day, source, static_cast<int>(numbers.size())))]
                                    : randomPick(numbers);
    data::lookUpMessage(collection, chosen);
    return {{current(collection)}, {}};
}

int dayIndex(QDate day, const data::CollectionSource& source, int count) {
    if (count <= 1)
        return 0;
    // A step near the golden section of the count, prime to it, walks through every candidate
    // before it comes back, and takes neighbouring days far apart.
    std::int64_t step = std::max<std::int64_t>(1, std::llround(count * 0.6180339887));
    while (std::gcd(step, std::int64_t{count}) != 1)
        ++step;
    std::uint64_t start = 1469598103934665603ULL; // FNV-1a over the table's name
    for (const QChar c : QStringView(source.table))
        start = (start ^ c.unicode()) * 1099511628211ULL;
    const auto days = static_cast<std::uint64_t>(day.toJulianDay());
    return static_cast<int>((start % count + days % count * step) % count);
}

int characterCount(QStringView text) {
    int count = 0;
    for (const QChar c : text)
        count += !c.isLowSurrogate();
    return count;
}

} // namespace frase
