#include "frase/request.h"

#include "platform/core/conversions.h"
#include "platform/core/file_names.h"

#include <QRegularExpression>
#include <limits>

namespace frase {

namespace {

using namespace Qt::StringLiterals;

class Builder {
public:
    void apply(const core::GivenOption& option) {
        if (option.name == u"colecao")
            return setCollection(option);
        if (option.name == u"numero" || option.name == u"max")
            return setNumber(option);
        if (option.name == u"buscar") {
            if (core::Trim(option.value).isEmpty())
                core::refuseUsage(u"a palavra a buscar (%1) está vazia."_s.arg(option.spelled));
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
        if (option.name == u"imagem")
            m_request.cardFile = option.value;
        if (option.name == u"tamanho")
            setCardSize(option);
    }

    Request finish() {
        if (m_request.notify && m_request.choice == Request::Choice::Search)
            core::refuseUsage(u"--notificar mostra uma mensagem só e não combina com --buscar."_s);
        if (m_request.cardFile && m_request.notify)
            core::refuseUsage(u"--imagem e --notificar não combinam: escolha um dos dois."_s);
        if (m_sized && !m_request.cardFile)
            core::refuseUsage(u"--tamanho só vale com --imagem."_s);
        if (m_request.cardFile && m_request.cardFile->isEmpty())
            core::refuseUsage(u"--imagem pede o nome do arquivo, ou - para a saída."_s);
        if (m_request.day.isValid() && m_request.choice != Request::Choice::OfTheDay)
            core::refuseUsage(u"--data só vale com --do-dia."_s);
        if (!m_request.day.isValid())
            m_request.day = QDate::currentDate();
        return m_request;
    }

private:
    void setCollection(const core::GivenOption& option) {
        const QString name = option.value.toLower();
        if (name == u"quelmar")
            m_request.collection = &data::quelmarCollection;
        else if (name == u"tarvenas")
            m_request.collection = &data::tarvenasCollection;
        else
            core::refuseUsage(
                u"coleção desconhecida: \"%1\" (use quelmar ou tarvenas)."_s.arg(option.value));
    }

    void setNumber(const core::GivenOption& option) {
        const std::optional<std::int64_t> number = core::wholeNumber(option.value);
        if (!number)
            core::refuseUsage(
                u"%1 pede um número inteiro, não \"%2\"."_s.arg(option.spelled, option.value));
        if (option.name == u"max") {
            if (*number < 1)
                core::refuseUsage(u"--max pede um número de caracteres maior que zero."_s);
            if (*number > std::numeric_limits<int>::max())
                core::refuseUsage(u"--max %1 é grande demais: o maior valor aceito é %2."_s.arg(
                    option.value.trimmed(), QString::number(std::numeric_limits<int>::max())));
            m_request.longest = static_cast<int>(*number);
            return;
        }
        m_request.number = *number;
        return choose(Request::Choice::Number, option);
    }

    void setDay(const core::GivenOption& option) {
        // Exactly the ten characters: the toolkit's own reading would skip a time or anything
        // else after the date.
        static const QRegularExpression form(
            QRegularExpression::anchoredPattern(u"[0-9]{4}-[0-9]{2}-[0-9]{2}"_s));
        m_request.day = form.match(option.value).hasMatch()
                            ? QDate::fromString(option.value, u"yyyy-MM-dd"_s)
                            : QDate();
        if (!m_request.day.isValid())
            core::refuseUsage(
                u"--data pede uma data na forma AAAA-MM-DD, não \"%1\"."_s.arg(option.value));
    }

    // "LxA", each side from the smallest to the largest a card may have.
    void setCardSize(const core::GivenOption& option) {
        static const QRegularExpression sides(u"^\\s*(\\d{1,5})\\s*[xX×]\\s*(\\d{1,5})\\s*$"_s);
        const QRegularExpressionMatch match = sides.match(option.value);
        const QSize size = match.hasMatch()
                               ? QSize(match.captured(1).toInt(), match.captured(2).toInt())
                               : QSize();
        const auto inRange = [](int side) {
            return side >= card::smallestSide && side <= card::largestSide;
        };
        if (!inRange(size.width()) || !inRange(size.height()))
            core::refuseUsage(u"--tamanho pede LxA, largura e altura de %1 a %2 pixels, não "
                              u"\"%3\"."_s.arg(card::smallestSide)
                                  .arg(card::largestSide)
                                  .arg(option.value));
        m_request.cardSize = size;
        m_sized = true;
    }

    void setLength(const core::GivenOption& option) {
        const auto length =
            option.name == u"curtas" ? Request::Length::Short : Request::Length::Long;
        if (m_request.length != Request::Length::Any && m_request.length != length)
            core::refuseUsage(u"--curtas e --longas não combinam."_s);
        m_request.length = length;
    }

    // -n, -b and -d each choose the message in their own way: one at a time.
    void choose(Request::Choice choice, const core::GivenOption& option) {
        if (m_request.choice != Request::Choice::Random && m_request.choice != choice)
            core::refuseUsage(u"%1 não combina com %2: escolha só um de -n, -b e -d."_s.arg(
                option.spelled, m_chosenBy));
        m_request.choice = choice;
        m_chosenBy = option.spelled;
    }

    Request m_request;
    QString m_chosenBy;
    bool m_sized = false;
};

} // namespace

const core::CommandLine& commandLine() {
    static const core::CommandLine line(u"quelmar-frase"_s, {
                                                                {u'c', u"colecao"_s, true},
                                                                {u'n', u"numero"_s, true},
                                                                {u'b', u"buscar"_s, true},
                                                                {u'q', u"so-texto"_s},
                                                                {u's', u"curtas"_s},
                                                                {u'l', u"longas"_s},
                                                                {{}, u"max"_s, true},
                                                                {u'd', u"do-dia"_s},
                                                                {{}, u"data"_s, true},
                                                                {u't', u"notificar"_s},
                                                                {{}, u"imagem"_s, true},
                                                                {{}, u"tamanho"_s, true},
                                                            });
    return line;
}

Request requestFrom(const core::CommandArguments& arguments) {
    Builder builder;
    for (const core::GivenOption& option : arguments.options)
        builder.apply(option);
    Request request = builder.finish();
    request.sources = arguments.operands;
    return request;
}

} // namespace frase
