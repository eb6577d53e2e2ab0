#include "platform/database/criteria.h"

#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"

#include <QString>

namespace db::criteria {

using core::ErrorCode;

namespace {

bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Reads one criterion from left to right; each step either moves past what it expects or
// raises the syntax error pointing at where it stopped.
class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) {}

    QString field() {
        skipBlanks();
        if (atEnd())
            fail(QStringLiteral("o critério está vazio"));
        const QString name = peek() == u'[' ? bracketedName() : word();
        if (name.isEmpty())
            fail(QStringLiteral("esperava-se o nome de um campo"));
        return name;
    }

    // True for "=", false for Like.
    bool comparison() {
        skipBlanks();
        if (peek() == u'=') {
            ++m_pos;
            return true;
        }
        const qsizetype start = m_pos;
        if (word().compare(u"like", Qt::CaseInsensitive) != 0) {
            m_pos = start;
            fail(QStringLiteral("esperava-se \"=\" ou Like"));
        }
        return false;
    }

    double number() {
        skipBlanks();
        const bool negative = peek() == u'-';
        m_pos += negative;
        // The scan would also take blanks and a sign of its own.
        const core::LeadingNumber scanned = peek().isDigit() || peek() == u'.'
                                                ? core::scanLeadingNumber(m_text.sliced(m_pos))
                                                : core::LeadingNumber{};
        if (!scanned.hasDigits)
            fail(QStringLiteral("esperava-se um número"));
        m_pos += scanned.end;
        if (isNamePart(peek()))
            fail(QStringLiteral("número mal formado"));
        return negative ? -scanned.value : scanned.value;
    }

    QString quotedText() {
        skipBlanks();
        if (peek() != u'"')
            fail(QStringLiteral("esperava-se um texto entre aspas"));
        const qsizetype open = m_pos++;
        QString content;
        for (;;) {
            if (atEnd()) {
                m_pos = open;
                fail(QStringLiteral("texto sem aspas de fechamento"));
            }
            const QChar c = m_text[m_pos++];
            if (c == u'"' && peek() != u'"')
                return content;
            if (c == u'"')
                ++m_pos;
            content += c;
        }
    }

    void end() {
        skipBlanks();
        if (!atEnd())
            fail(QStringLiteral("esperava-se o fim do critério"));
    }

private:
    // One arg() call fills all three places at once: chained calls would take a "%2" typed
    // inside the criterion for a place of the message.
    [[noreturn]] void fail(const QString& why) const {
        core::raise(ErrorCode::CriterionSyntax,
                    QStringLiteral("Erro de sintaxe no critério \"%1\", na posição %2: %3.")
                        .arg(m_text.toString(), QString::number(m_pos + 1), why));
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    void skipBlanks() {
        while (peek().isSpace())
            ++m_pos;
    }

    QString word() {
        const qsizetype start = m_pos;
        if (peek().isLetter() || peek() == u'_')
            while (isNamePart(peek()))
                ++m_pos;
        return m_text.sliced(start, m_pos - start).toString();
    }

    QString bracketedName() {
        const qsizetype close = m_text.indexOf(u']', m_pos + 1);
        if (close < 0)
            fail(QStringLiteral("nome de campo sem \"]\" de fechamento"));
        const QString name = m_text.sliced(m_pos + 1, close - m_pos - 1).toString();
        if (name.trimmed().isEmpty())
            fail(QStringLiteral("nome de campo vazio"));
        m_pos = close + 1;
        return name;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// A text that spells a number takes part in a comparison with a number as that number.
std::optional<double> numberInText(std::string_view folded) {
    const QString text = QString::fromUtf8(folded.data(), static_cast<qsizetype>(folded.size()));
    if (!core::IsNumeric(text))
        return std::nullopt;
    return core::scanLeadingNumber(text).value;
}

} // namespace

Criterion::Criterion(int column, double number, std::optional<LikePattern> pattern)
    : m_column(column), m_number(number), m_pattern(std::move(pattern)) {}

// The column is looked for once the whole criterion has been read, so that a criterion of
// another form is a syntax error even where it begins with a word that names no column.
Criterion Criterion::compile(QStringView text, const ColumnResolver& columnOf) {
    Reader reader(text);
    const QString name = reader.field();
    const bool isEquality = reader.comparison();
    const double number = isEquality ? reader.number() : 0.0;
    std::optional<LikePattern> pattern;
    if (!isEquality)
        pattern.emplace(core::text::fold(reader.quotedText()));
    reader.end();
    const int column = columnOf(name);
    if (column < 0)
        core::raise(ErrorCode::ColumnNotFound,
                    QStringLiteral("A coluna \"%1\" do critério \"%2\" não existe.")
                        .arg(name, text.toString()));
    return Criterion(column, number, std::move(pattern));
}

std::optional<double> Criterion::number() const {
    return m_pattern ? std::nullopt : std::optional(m_number);
}

bool Criterion::matches(const Scalar& cell) const {
    using Kind = Scalar::Kind;
    if (cell.kind == Kind::Null)
        return false;
    if (cell.kind == Kind::Text)
        return m_pattern ? m_pattern->matches(cell.folded) : numberInText(cell.folded) == m_number;
    const double value = cell.kind == Kind::Integer  ? static_cast<double>(cell.integer)
                         : cell.kind == Kind::Double ? cell.real
                         : cell.boolean              ? -1.0
                                                     : 0.0;
    if (!m_pattern)
        return value == m_number;
    const QString plain =
        cell.kind == Kind::Integer ? core::plainForm(cell.integer) : core::plainForm(value);
    return m_pattern->matches(plain.toStdString());
}

} // namespace db::criteria
