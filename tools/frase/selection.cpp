#include "frase/selection.h"

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

QString names(const Sources& sources) {
    QStringList all;
    for (const auto& source : sources)
        all << source->name();
    return all.join(u", "_s);
}

Message messageOf(Source& source, int number) {
    return {&source, number, source.text(number)};
}

Selection byNumber(const Request& request, Source& source) {
    if (request.number < 1 || request.number > source.count())
        return {{}, u"%1 não tem a mensagem nº %2."_s.arg(source.name()).arg(request.number)};
    Message found = messageOf(source, static_cast<int>(request.number));
    const int characters = characterCount(found.text);
    if (!passes(request, characters))
        return {{},
                u"a mensagem nº %1 de %2 tem %3 caracteres e não é das pedidas: %4."_s
                    .arg(request.number)
                    .arg(source.name())
                    .arg(characters)
                    .arg(filterWords(request))};
    return {{std::move(found)}, {}};
}

// The Find window's criterion, over each source from its first message to its last.
Selection bySearch(const Request& request, const Sources& sources) {
    Selection selection;
    for (const auto& source : sources)
        for (const int number : source->search(request.keyword)) {
            Message found = messageOf(*source, number);
            if (passes(request, characterCount(found.text)))
                selection.messages.push_back(std::move(found));
        }
    if (selection.messages.empty()) {
        const QString filters =
            isFiltered(request) ? u" entre as "_s + filterWords(request) : QString();
        selection.nothing = u"nenhuma mensagem de %1 tem a palavra \"%2\"%3."_s.arg(
            names(sources), request.keyword, filters);
        // The word must stand between blanks, so one that touches a stop or another word is
        // missed; a wildcard on each side finds it there too.
        if (!request.keyword.contains(u'*'))
            selection.nothing += u" Para achá-la também junto de pontuação ou dentro de outra "
                                 u"palavra, busque \"*%1*\"."_s.arg(request.keyword);
    }
    return selection;
}

// The candidates of a pick, numbered 1..total() across the sources in order. Without a length
// filter only the counts are read.
class Candidates {
public:
    Candidates(const Request& request, const Sources& sources) {
        for (const auto& source : sources) {
            std::vector<int> numbers;
            if (isFiltered(request)) {
                const std::vector<int> counts = source->characterCounts();
                for (std::size_t i = 0; i < counts.size(); ++i)
                    if (passes(request, counts[i]))
                        numbers.push_back(static_cast<int>(i + 1));
            }
            const int size =
                isFiltered(request) ? static_cast<int>(numbers.size()) : source->count();
            m_parts.push_back({source.get(), size, std::move(numbers)});
            m_total += size;
        }
    }

    std::int64_t total() const { return m_total; }

    // 1 <= index <= total().
    Message at(std::int64_t index) const {
        for (const Part& part : m_parts) {
            if (index <= part.size) {
                const int number = part.numbers.empty()
                                       ? static_cast<int>(index)
                                       : part.numbers[static_cast<std::size_t>(index - 1)];
                return messageOf(*part.source, number);
            }
            index -= part.size;
        }
        return {};
    }

private:
    struct Part {
        Source* source;
        int size;
        std::vector<int> numbers; // empty: every message of the source
    };
    std::vector<Part> m_parts;
    std::int64_t m_total = 0;
};

// floor(total * r + 1) for 0 <= r < 1, as the main window draws a number: the count taken to
// single precision, the product and the sum in double precision.
std::int64_t randomIndex(std::int64_t total) {
    core::ClockRandom random;
    random.reseedFromClock();
    const double drawn = std::floor(double(float(total)) * double(random.next()) + 1.0);
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(drawn), 1, total);
}

QString dayKeyOf(const Sources& sources) {
    QStringList keys;
    for (const auto& source : sources)
        keys << source->dayKey();
    return keys.join(u'\n');
}

} // namespace

Selection selectMessages(const Request& request, const Sources& sources) {
    if (request.choice == Request::Choice::Number)
        return byNumber(request, *sources.front());
    if (request.choice == Request::Choice::Search)
        return bySearch(request, sources);
    const Candidates candidates(request, sources);
    if (candidates.total() == 0)
        return {{}, u"%1 não tem mensagens %2."_s.arg(names(sources), filterWords(request))};
    const std::int64_t chosen =
        request.choice == Request::Choice::OfTheDay
            ? 1 + dayIndex(request.day, dayKeyOf(sources), static_cast<int>(candidates.total()))
            : randomIndex(candidates.total());
    return {{candidates.at(chosen)}, {}};
}

int dayIndex(QDate day, QStringView key, int count) {
    if (count <= 1)
        return 0;
    // A step near the golden section of the count, prime to it, walks through every candidate
    // before it comes back, and takes neighbouring days far apart.
    std::int64_t step = std::max<std::int64_t>(1, std::llround(count * 0.6180339887));
    while (std::gcd(step, std::int64_t{count}) != 1)
        ++step;
    std::uint64_t start = 1469598103934665603ULL; // FNV-1a over the key
    for (const QChar c : key)
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
