#include "frase/request.h"

#include "platform/core/conversions.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace frase {

namespace {

using namespace Qt::StringLiterals;

struct OptionName {
    QChar shortName; // null when the option has no short form
    QString longName;
    bool takesValue;
};

const QList<OptionName>& options() {
    static const QList<OptionName> all{
        {u'c', u"colecao"_s, true},    {u'n', u"numero"_s, true},  {u'b', u"buscar"_s, true},
        {u'q', u"so-texto"_s, false},  {u's', u"curtas"_s, false}, {u'l', u"longas"_s, false},
        {{}, u"max"_s, true},          {u'd', u"do-dia"_s, false}, {{}, u"data"_s, true},
        {u't', u"notificar"_s, false}, {u'h', u"help"_s, false},   {{}, u"version"_s, false},
    };
    return all;
}

// One option as the user wrote it, with its value when it takes one.
struct Given {
    QString name; // the long name
    QString spelled;
    QString value;
};

class Reader {
public:
    explicit Reader(const QStringList& arguments) : m_arguments(arguments) {}

    // Every option in order, or the first problem.
    std::variant<QList<Given>, UsageError> run() {
        QList<Given> given;
        for (m_index = 0; m_index < m_arguments.size(); ++m_index) {
            const QString& argument = m_arguments[m_index];
            std::optional<UsageError> problem;
            if (argument == u"--") {
                if (m_index + 1 < m_arguments.size())
                    return unexpected(m_arguments[m_index + 1]);
                break;
            }
            if (argument.startsWith(u"--"))
                problem = readLong(argument, given);
            else if (argument.startsWith(u'-') && argument.size() > 1)
                problem = readShorts(argument, given);
            else
                return unexpected(argument);
            if (problem)
                return *problem;
        }
        return given;
    }

private:
    static UsageError unexpected(const QString& argument) {
        return {u"argumento inesperado: \"%1\" (as palavras a buscar vão depois de -b)."_s.arg(
            argument)};
    }

    std::optional<UsageError> readLong(const QString& argument, QList<Given>& given) {
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const auto option = std::find_if(options().begin(), options().end(),
                                         [&](const OptionName& o) { return o.longName == name; });
        if (option == options().end())
            return UsageError{u"opção desconhecida: \"%1\"."_s.arg(argument)};
        const QString spelled = u"--"_s + name;
        if (!option->takesValue) {
            if (equals >= 0)
                return UsageError{u"a opção %1 não leva valor."_s.arg(spelled)};
            given.append({name, spelled, {}});
            return std::nullopt;
        }
        if (equals >= 0) {
            given.append({name, spelled, argument.mid(equals + 1)});
            return std::nullopt;
        }
        return takeNextValue(name, spelled, given);
    }

    std::optional<UsageError> readShorts(const QString& argument, QList<Given>& given) {
        for (qsizetype i = 1; i < argument.size(); ++i) {
            const QChar letter = argument[i];
            const auto option =
                std::find_if(options().begin(), options().end(),
                             [&](const OptionName& o) { return o.shortName == letter; });
            if (option == options().end())
                return UsageError{u"opção desconhecida: \"-%1\"."_s.arg(letter)};
            const QString spelled = u"-"_s + letter;
            if (!option->takesValue) {
                given.append({option->longName, spelled, {}});
                continue;
            }
            if (i + 1 < argument.size()) {
                given.append({option->longName, spelled, argument.mid(i + 1)});
                return std::nullopt;
            }
            return takeNextValue(option->longName, spelled, given);
        }
        return std::nullopt;
    }

    std::optional<UsageError> takeNextValue(const QString& name, const QString& spelled,
                                            QList<Given>& given) {
        if (m_index + 1 >= m_arguments.size())
            return UsageError{u"falta o valor da opção %1."_s.arg(spelled)};
        given.append({name, spelled, m_arguments[++m_index]});
        return std::nullopt;
    }

    const QStringList& m_arguments;
    qsizetype m_index = 0;
};

// A whole number as typed, blanks around it allowed.
std::optional<std::int64_t> wholeNumber(const QString& text) {
    if (!core::IsNumeric(text))
        return std::nullopt;
    const double value = core::Val(core::Trim(text));
    if (value != std::trunc(value) || std::fabs(value) > 1e15)
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

class Builder {
public:
    std::optional<UsageError> apply(const Given& option) {
        if (option.name == u"colecao")
            return setCollection(option);
        if (option.name == u"numero" || option.name == u"max")
            return setNumber(option);
        if (option.name == u"buscar") {
            if (core::Trim(option.value).isEmpty())
                return UsageError{u"a palavra a buscar (%1) está vazia."_s.arg(option.spelled)};
            m_request.keyword = core::Trim(option.value);
            return choose(Request::Choice::Search, option);
        }
        if (option.name == u"do-dia")
            return choose(Request::Choice::OfTheDay, option);
        if (option.name == u"data")
            return setDay(option);
        if (option.name == u"curtas" || option.name == u"longas")
            return setLength(option);
        if (option.name == u"so-texto")
            m_request.textOnly = true;
        if (option.name == u"notificar")
            m_request.notify = true;
        return std::nullopt;
    }

    std::variant<Request, UsageError> finish() {
        if (m_request.notify && m_request.choice == Request::Choice::Search)
            return UsageError{u"--notificar mostra uma mensagem só e não combina com --buscar."_s};
        if (m_request.day.isValid() && m_request.choice != Request::Choice::OfTheDay)
            return UsageError{u"--data só vale com --do-dia."_s};
        if (!m_request.day.isValid())
            m_request.day = QDate::currentDate();
        return m_request;
    }

private:
    std::optional<UsageError> setCollection(const Given& option) {
        const QString name = option.value.toLower();
        if (name == u"quelmar")
            m_request.collection = &data::quelmarCollection;
        else if (name == u"tarvenas")
            m_request.collection = &data::tarvenasCollection;
        else
            return UsageError{
                u"coleção desconhecida: \"%1\" (use quelmar ou tarvenas)."_s.arg(option.value)};
        return std::nullopt;
    }

    std::optional<UsageError> setNumber(const Given& option) {
        const std::optional<std::int64_t> number = wholeNumber(option.value);
        if (!number)
            return UsageError{
                u"%1 pede um número inteiro, não \"%2\"."_s.arg(option.spelled, option.value)};
        if (option.name == u"max") {
            if (*number < 1)
                return UsageError{u"--max pede um número de caracteres maior que zero."_s};
            if (*number > std::numeric_limits<int>::max())
                return UsageError{u"--max %1 é grande demais: o maior valor aceito é %2."_s.arg(
                    option.value.trimmed(), QString::number(std::numeric_limits<int>::max()))};
            m_request.longest = static_cast<int>(*number);
            return std::nullopt;
        }
        m_request.number = *number;
        return choose(Request::Choice::Number, option);
    }

    std::optional<UsageError> setDay(const Given& option) {
        // Exactly the ten characters: the toolkit's own reading would skip a time or anything
        // else after the date.
        static const QRegularExpression form(
            QRegularExpression::anchoredPattern(u"[0-9]{4}-[0-9]{2}-[0-9]{2}"_s));
        m_request.day = form.match(option.value).hasMatch()
                            ? QDate::fromString(option.value, u"yyyy-MM-dd"_s)
                            : QDate();
        if (!m_request.day.isValid())
            return UsageError{
                u"--data pede uma data na forma AAAA-MM-DD, não \"%1\"."_s.arg(option.value)};
        return std::nullopt;
    }

    std::optional<UsageError> setLength(const Given& option) {
        const auto length =
            option.name == u"curtas" ? Request::Length::Short : Request::Length::Long;
        if (m_request.length != Request::Length::Any && m_request.length != length)
            return UsageError{u"--curtas e --longas não combinam."_s};
        m_request.length = length;
        return std::nullopt;
    }

    // -n, -b and -d each choose the message in their own way: one at a time.
    std::optional<UsageError> choose(Request::Choice choice, const Given& option) {
        if (m_request.choice != Request::Choice::Random && m_request.choice != choice)
            return UsageError{u"%1 não combina com %2: escolha só um de -n, -b e -d."_s.arg(
                option.spelled, m_chosenBy)};
        m_request.choice = choice;
        m_chosenBy = option.spelled;
        return std::nullopt;
    }

    Request m_request;
    QString m_chosenBy;
};

} // namespace

Parsed parseArguments(const QStringList& arguments) {
    auto read = Reader(arguments).run();
    if (auto* problem = std::get_if<UsageError>(&read))
        return *problem;
    Builder builder;
    for (const Given& option : std::get<QList<Given>>(read)) {
        if (option.name == u"help")
            return Help{};
        if (option.name == u"version")
            return Version{};
    }
    for (const Given& option : std::get<QList<Given>>(read))
        if (auto problem = builder.apply(option))
            return *problem;
    auto request = builder.finish();
    if (auto* problem = std::get_if<UsageError>(&request))
        return *problem;
    return std::get<Request>(request);
}

} // namespace frase
