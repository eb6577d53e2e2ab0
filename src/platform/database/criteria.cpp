#include "platform/database/criteria.h"

#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"

#include <QString>

namespace db::criteria {

using core::ErrorCode;

namespace {

// Reads a criterion from left to right; each step takes what it expects or raises the syntax
// error pointing at where it stopped.
class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) {}

    QString field() {
        skipBlanks();
        if (atEnd())
            fail(QStringLiteral("o critério está vazio"));
        if (peek() != u'[')
            return word(QStringLiteral("esperava-se o nome de um campo"));
        const qsizetype close = m_text.indexOf(u']', m_pos);
        if (close < 0)
            fail(QStringLiteral("nome de campo sem \"]\" de fechamento"));
        const QString name = m_text.sliced(m_pos + 1, close - m_pos - 1).toString();
        if (name.trimmed().isEmpty())
            fail(QStringLiteral("nome de campo vazio"));
        m_pos = close + 1;
        return name;
    }

    // True for "=", false for Like.
    bool isEquality() {
        skipBlanks();
        if (peek() == u'=') {
            ++m_pos;
            return true;
        }
        const qsizetype start = m_pos;
        if (word({}).compare(u"like", Qt::CaseInsensitive) != 0) {
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
        QString content;
        for (qsizetype at = m_pos + 1; at < m_text.size(); ++at) {
            if (m_text[at] == u'"' && (at + 1 == m_text.size() || m_text[at + 1] != u'"')) {
                m_pos = at + 1;
                return content;
            }
            at += m_text[at] == u'"';
            content += m_text[at];
        }
        fail(QStringLiteral("texto sem aspas de fechamento"));
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

    static bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == u'_'; }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    void skipBlanks() {
        while (peek().isSpace())
            ++m_pos;
    }

    // A word begins with a letter or "_"; `missing` is the fault where none begins.
    QString word(const QString& missing) {
        const qsizetype start = m_pos;
        if (peek().isLetter() || peek() == u'_')
            while (isNamePart(peek()))
                ++m_pos;
        if (m_pos == start && !missing.isEmpty())
            fail(missing);
        return m_text.sliced(start, m_pos - start).toString();
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

// The column is looked for once the whole criterion has been read, so that a criterion of
// another form is a syntax error even where it begins with a word that names no column.
Criterion Criterion::compile(QStringView text, const ColumnResolver& columnOf) {
    Reader reader(text);
    const QString name = reader.field();
    const bool isEquality = reader.isEquality();
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

bool Criterion::matches(const Cell& cell) const {
    if (cell.type == Variant::Type::Null)
        return false;
    if (cell.type == Variant::Type::Text && m_pattern)
        return m_pattern->matches(cell.folded());
    // A text that spells a number equals that number.
    if (cell.type == Variant::Type::Text)
        return core::IsNumeric(QString::fromUtf8(cell.folded())) &&
               core::Val(QString::fromUtf8(cell.folded())) == m_number;
    const bool real = cell.type == Variant::Type::Double;
    // A truth value is kept as 1 or 0 and reads as -1 or 0.
    const std::int64_t whole = cell.type == Variant::Type::Boolean ? -cell.integer : cell.integer;
    if (!m_pattern)
        return (real ? cell.real : static_cast<double>(whole)) == m_number;
    return m_pattern->matches(
        (real ? core::plainForm(cell.real) : core::plainForm(whole)).toStdString());
}

} // namespace db::criteria
