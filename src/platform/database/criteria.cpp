#include "platform/database/criteria.h"

#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"
#include "platform/database/like.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace db::criteria {

using core::ErrorCode;

enum class Truth { False, True, Unknown };

struct Node {
    enum class Kind {
        Constant,
        Field,
        Equal,
        NotEqual,
        Less,
        Greater,
        LessOrEqual,
        GreaterOrEqual,
        Like,
        Not,
        And,
        Or
    };
    Kind kind = Kind::Constant;
    int depth = 1; // of the tree below and including this node
    Scalar constant;
    std::string constantText; // owns the folded text a text constant points into
    int column = -1;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
    std::unique_ptr<LikePattern> pattern; // a Like whose pattern is a constant text
};

namespace {

// Evaluation and destruction recurse along the tree, so its depth is bounded.
constexpr int deepestTree = 200;

// ---- parsing ----------------------------------------------------------------------------

struct Token {
    enum class Kind { End, Name, Number, Text, Operator, LeftParen, RightParen };
    Kind kind = Kind::End;
    qsizetype position = 0; // 0-based index into the criterion
    QString text;           // a name, a text's content, or an operator
    Scalar number;
};

bool isNameStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

class Parser {
public:
    Parser(QStringView text, const Criterion::ColumnResolver& columnOf)
        : m_text(text), m_columnOf(columnOf) {
        advance();
    }

    std::unique_ptr<Node> parseAll() {
        if (m_token.kind == Token::Kind::End)
            fail(m_token.position, QStringLiteral("o critério está vazio"));
        auto root = parseOr();
        if (m_token.kind != Token::Kind::End)
            fail(m_token.position, QStringLiteral("esperava-se o fim do critério"));
        return root;
    }

private:
    // One arg() call fills all three places at once: chained calls would take a "%2" typed
    // inside the criterion for a place of the message.
    [[noreturn]] void fail(qsizetype position, const QString& why) const {
        core::raise(ErrorCode::CriterionSyntax,
                    QStringLiteral("Erro de sintaxe no critério \"%1\", na posição %2: %3.")
                        .arg(m_text.toString(), QString::number(position + 1), why));
    }

    QChar peek(qsizetype offset = 0) const {
        return m_pos + offset < m_text.size() ? m_text[m_pos + offset] : QChar();
    }

    bool isKeyword(const char* word) const {
        return m_token.kind == Token::Kind::Name &&
               m_token.text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0 &&
               !m_tokenWasBracketed;
    }

    void advance() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        m_token = Token{};
        m_token.position = m_pos;
        m_tokenWasBracketed = false;
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text[m_pos];
        if (c.isDigit() || (c == u'.' && peek(1).isDigit()))
            return readNumber();
        if (c == u'"')
            return readText();
        if (c == u'[')
            return readBracketedName();
        if (isNameStart(c)) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && isNamePart(m_text[m_pos]))
                ++m_pos;
            m_token.kind = Token::Kind::Name;
            m_token.text = m_text.sliced(start, m_pos - start).toString();
            return;
        }
        if (c == u'(' || c == u')') {
            m_token.kind = c == u'(' ? Token::Kind::LeftParen : Token::Kind::RightParen;
            ++m_pos;
            return;
        }
        for (const char* op : {"<>", "<=", ">=", "=", "<", ">", "-", "+"}) {
            const QLatin1StringView symbol(op);
            if (m_text.sliced(m_pos).startsWith(symbol)) {
                m_token.kind = Token::Kind::Operator;
                m_token.text = symbol;
                m_pos += symbol.size();
                return;
            }
        }
        fail(m_pos, QStringLiteral("caractere inesperado \"%1\"").arg(c));
    }

    void readNumber() {
        const core::LeadingNumber scanned = core::scanLeadingNumber(m_text.sliced(m_pos));
        const QStringView spelled = m_text.sliced(m_pos, scanned.end);
        bool whole = false;
        const qlonglong integer = spelled.toLongLong(&whole);
        m_token.kind = Token::Kind::Number;
        if (whole) {
            m_token.number.kind = Scalar::Kind::Integer;
            m_token.number.integer = integer;
        } else {
            m_token.number.kind = Scalar::Kind::Double;
            m_token.number.real = scanned.value;
        }
        m_pos += scanned.end;
        if (m_pos < m_text.size() && isNamePart(m_text[m_pos]))
            fail(m_pos, QStringLiteral("número mal formado"));
    }

    void readText() {
        const qsizetype open = m_pos++;
        QString content;
        for (;;) {
            if (m_pos >= m_text.size())
                fail(open, QStringLiteral("texto sem aspas de fechamento"));
            const QChar c = m_text[m_pos++];
            if (c != u'"') {
                content += c;
            } else if (peek() == u'"') {
                content += c;
                ++m_pos;
            } else {
                break;
            }
        }
        m_token.kind = Token::Kind::Text;
        m_token.text = content;
    }

    void readBracketedName() {
        const qsizetype open = m_pos;
        const qsizetype close = m_text.indexOf(u']', open + 1);
        if (close < 0)
            fail(open, QStringLiteral("nome de campo sem \"]\" de fechamento"));
        m_token.kind = Token::Kind::Name;
        m_token.text = m_text.sliced(open + 1, close - open - 1).toString();
        if (m_token.text.trimmed().isEmpty())
            fail(open, QStringLiteral("nome de campo vazio"));
        m_tokenWasBracketed = true;
        m_pos = close + 1;
    }

    std::unique_ptr<Node> binary(Node::Kind kind, std::unique_ptr<Node> left,
                                 std::unique_ptr<Node> right) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->depth = 1 + std::max(left->depth, right ? right->depth : 0);
        if (node->depth > deepestTree)
            fail(m_token.position, QStringLiteral("o critério é complexo demais"));
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    // Parentheses and Not nest the parser's own calls; a limit keeps a hostile criterion from
    // exhausting the stack.
    void enterNesting() {
        if (++m_nesting > deepestTree)
            fail(m_token.position, QStringLiteral("o critério é complexo demais"));
    }

    std::unique_ptr<Node> parseOr() {
        auto left = parseAnd();
        while (isKeyword("or")) {
            advance();
            left = binary(Node::Kind::Or, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd() {
        auto left = parseNot();
        while (isKeyword("and")) {
            advance();
            left = binary(Node::Kind::And, std::move(left), parseNot());
        }
        return left;
    }

    std::unique_ptr<Node> parseNot() {
        if (!isKeyword("not"))
            return parseComparison();
        enterNesting();
        advance();
        auto node = binary(Node::Kind::Not, parseNot(), nullptr);
        --m_nesting;
        return node;
    }

    std::unique_ptr<Node> parseComparison() {
        auto left = parsePrimary();
        if (isKeyword("like")) {
            advance();
            auto node = binary(Node::Kind::Like, std::move(left), parsePrimary());
            if (node->right->kind == Node::Kind::Constant &&
                node->right->constant.kind == Scalar::Kind::Text)
                node->pattern = std::make_unique<LikePattern>(node->right->constantText);
            return node;
        }
        if (m_token.kind != Token::Kind::Operator || m_token.text == u"-" || m_token.text == u"+")
            return left;
        static const std::pair<const char*, Node::Kind> operators[] = {
            {"=", Node::Kind::Equal},        {"<>", Node::Kind::NotEqual},
            {"<", Node::Kind::Less},         {">", Node::Kind::Greater},
            {"<=", Node::Kind::LessOrEqual}, {">=", Node::Kind::GreaterOrEqual}};
        Node::Kind kind = Node::Kind::Equal;
        for (const auto& [symbol, operatorKind] : operators)
            if (m_token.text == QLatin1StringView(symbol))
                kind = operatorKind;
        advance();
        return binary(kind, std::move(left), parsePrimary());
    }

    std::unique_ptr<Node> parsePrimary() {
        auto node = std::make_unique<Node>();
        switch (m_token.kind) {
        case Token::Kind::Number:
            node->constant = m_token.number;
            advance();
            return node;
        case Token::Kind::Text:
            node->constantText = core::text::fold(m_token.text);
            node->constant.kind = Scalar::Kind::Text;
            node->constant.folded = node->constantText;
            advance();
            return node;
        case Token::Kind::Name:
            if (isKeyword("and") || isKeyword("or") || isKeyword("not") || isKeyword("like"))
                break;
            node->kind = Node::Kind::Field;
            node->column = m_columnOf(m_token.text);
            if (node->column < 0)
                core::raise(ErrorCode::ColumnNotFound,
                            QStringLiteral("A coluna \"%1\" do critério \"%2\" não existe.")
                                .arg(m_token.text, m_text.toString()));
            advance();
            return node;
        case Token::Kind::LeftParen: {
            const qsizetype open = m_token.position;
            enterNesting();
            advance();
            auto inner = parseOr();
            if (m_token.kind != Token::Kind::RightParen)
                fail(m_token.kind == Token::Kind::End ? open : m_token.position,
                     QStringLiteral("esperava-se \")\""));
            advance();
            --m_nesting;
            return inner;
        }
        case Token::Kind::Operator:
            if (m_token.text == u"-" || m_token.text == u"+")
                return parseSignedNumber();
            break;
        default:
            break;
        }
        fail(m_token.position, QStringLiteral("esperava-se um valor"));
    }

    std::unique_ptr<Node> parseSignedNumber() {
        const bool negative = m_token.text == u"-";
        advance();
        if (m_token.kind != Token::Kind::Number)
            fail(m_token.position, QStringLiteral("esperava-se um número depois do sinal"));
        auto node = std::make_unique<Node>();
        node->constant = m_token.number;
        if (negative && node->constant.kind == Scalar::Kind::Integer)
            node->constant.integer = -node->constant.integer;
        else if (negative)
            node->constant.real = -node->constant.real;
        advance();
        return node;
    }

    QStringView m_text;
    const Criterion::ColumnResolver& m_columnOf;
    qsizetype m_pos = 0;
    Token m_token;
    bool m_tokenWasBracketed = false;
    int m_nesting = 0;
};

// ---- evaluation -------------------------------------------------------------------------

bool isNumber(const Scalar& value) {
    return value.kind == Scalar::Kind::Integer || value.kind == Scalar::Kind::Double ||
           value.kind == Scalar::Kind::Boolean;
}

double numberOf(const Scalar& value) {
    switch (value.kind) {
    case Scalar::Kind::Integer:
        return static_cast<double>(value.integer);
    case Scalar::Kind::Boolean:
        return value.boolean ? -1.0 : 0.0;
    default:
        return value.real;
    }
}

// A text that spells a number takes part in numeric comparisons as that number.
std::optional<double> numberInText(const Scalar& value) {
    const QString text =
        QString::fromUtf8(value.folded.data(), static_cast<qsizetype>(value.folded.size()));
    if (!core::IsNumeric(text))
        return std::nullopt;
    return core::scanLeadingNumber(text).value;
}

// <0, 0, >0, or nothing when the two cannot be compared.
std::optional<int> compareScalars(const Scalar& a, const Scalar& b) {
    if (a.kind == Scalar::Kind::Null || b.kind == Scalar::Kind::Null)
        return std::nullopt;
    if (a.kind == Scalar::Kind::Text && b.kind == Scalar::Kind::Text)
        return a.folded.compare(b.folded);
    if (a.kind == Scalar::Kind::Integer && b.kind == Scalar::Kind::Integer)
        return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
    std::optional<double> x = isNumber(a) ? std::optional(numberOf(a)) : numberInText(a);
    std::optional<double> y = isNumber(b) ? std::optional(numberOf(b)) : numberInText(b);
    if (!x || !y)
        return std::nullopt;
    return *x < *y ? -1 : (*x > *y ? 1 : 0);
}

Truth fromBool(bool value) {
    return value ? Truth::True : Truth::False;
}

Truth comparisonTruth(Node::Kind kind, int order) {
    switch (kind) {
    case Node::Kind::Equal:
        return fromBool(order == 0);
    case Node::Kind::NotEqual:
        return fromBool(order != 0);
    case Node::Kind::Less:
        return fromBool(order < 0);
    case Node::Kind::Greater:
        return fromBool(order > 0);
    case Node::Kind::LessOrEqual:
        return fromBool(order <= 0);
    default:
        return fromBool(order >= 0);
    }
}

class Evaluator {
public:
    Evaluator(const RowSource& rows, int row) : m_rows(rows), m_row(row) {}

    Truth test(const Node& node) {
        switch (node.kind) {
        case Node::Kind::Constant:
        case Node::Kind::Field:
            return truthOf(value(node));
        case Node::Kind::Like:
            return like(node);
        case Node::Kind::Not: {
            const Truth inner = test(*node.left);
            return inner == Truth::Unknown ? inner : fromBool(inner == Truth::False);
        }
        case Node::Kind::And: {
            const Truth left = test(*node.left);
            if (left == Truth::False)
                return left;
            const Truth right = test(*node.right);
            return right == Truth::True ? left : right;
        }
        case Node::Kind::Or: {
            const Truth left = test(*node.left);
            if (left == Truth::True)
                return left;
            const Truth right = test(*node.right);
            return right == Truth::False ? left : right;
        }
        default: {
            const std::optional<int> order = compareScalars(value(*node.left), value(*node.right));
            return order ? comparisonTruth(node.kind, *order) : Truth::Unknown;
        }
        }
    }

private:
    Scalar value(const Node& node) {
        if (node.kind == Node::Kind::Constant)
            return node.constant;
        if (node.kind == Node::Kind::Field)
            return m_rows.cell(m_row, node.column);
        Scalar result;
        const Truth truth = test(node);
        if (truth != Truth::Unknown) {
            result.kind = Scalar::Kind::Boolean;
            result.boolean = truth == Truth::True;
        }
        return result;
    }

    static Truth truthOf(const Scalar& value) {
        if (isNumber(value))
            return fromBool(numberOf(value) != 0.0);
        if (value.kind == Scalar::Kind::Text) {
            const std::optional<double> number = numberInText(value);
            return number ? fromBool(*number != 0.0) : Truth::Unknown;
        }
        return Truth::Unknown;
    }

    // Numbers are matched through their plain text form, as they would be shown.
    std::string_view textOf(const Scalar& value, std::string& storage) {
        if (value.kind == Scalar::Kind::Text)
            return value.folded;
        if (value.kind == Scalar::Kind::Integer)
            storage = core::plainForm(value.integer).toStdString();
        else
            storage = core::plainForm(numberOf(value)).toStdString();
        return storage;
    }

    Truth like(const Node& node) {
        const Scalar subject = value(*node.left);
        if (subject.kind == Scalar::Kind::Null)
            return Truth::Unknown;
        std::string subjectStorage;
        const std::string_view subjectText = textOf(subject, subjectStorage);
        if (node.pattern)
            return fromBool(node.pattern->matches(subjectText));
        const Scalar pattern = value(*node.right);
        if (pattern.kind == Scalar::Kind::Null)
            return Truth::Unknown;
        std::string patternStorage;
        return fromBool(LikePattern(textOf(pattern, patternStorage)).matches(subjectText));
    }

    const RowSource& m_rows;
    int m_row;
};

} // namespace

Criterion::Criterion(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
Criterion::Criterion(Criterion&&) noexcept = default;
Criterion& Criterion::operator=(Criterion&&) noexcept = default;
Criterion::~Criterion() = default;

Criterion Criterion::compile(QStringView text, const ColumnResolver& columnOf) {
    return Criterion(Parser(text, columnOf).parseAll());
}

bool Criterion::matches(const RowSource& rows, int row) const {
    return Evaluator(rows, row).test(*m_root) == Truth::True;
}

std::optional<ColumnEquality> Criterion::columnEquality() const {
    if (m_root->kind != Node::Kind::Equal)
        return std::nullopt;
    const Node* field = m_root->left.get();
    const Node* constant = m_root->right.get();
    if (field->kind != Node::Kind::Field)
        std::swap(field, constant);
    if (field->kind != Node::Kind::Field || constant->kind != Node::Kind::Constant ||
        !isNumber(constant->constant) || constant->constant.kind == Scalar::Kind::Boolean)
        return std::nullopt;
    return ColumnEquality{field->column, numberOf(constant->constant)};
}

std::optional<SimpleEquality> parseSimpleEquality(QStringView text) {
    qsizetype pos = 0;
    const qsizetype size = text.size();
    auto skipSpaces = [&] {
        while (pos < size && text[pos] == u' ')
            ++pos;
    };
    skipSpaces();
    const qsizetype nameStart = pos;
    if (pos >= size || !isNameStart(text[pos]))
        return std::nullopt;
    while (pos < size && isNamePart(text[pos]))
        ++pos;
    SimpleEquality result;
    result.field = text.sliced(nameStart, pos - nameStart);
    for (const char* keyword : {"and", "or", "not", "like"})
        if (result.field.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0)
            return std::nullopt;
    skipSpaces();
    if (pos >= size || text[pos] != u'=')
        return std::nullopt;
    ++pos;
    skipSpaces();
    const bool negative = pos < size && text[pos] == u'-';
    if (negative)
        ++pos;
    const qsizetype digitsStart = pos;
    std::int64_t magnitude = 0;
    while (pos < size && text[pos] >= u'0' && text[pos] <= u'9' && pos - digitsStart < 18)
        magnitude = magnitude * 10 + (text[pos++].unicode() - u'0');
    if (pos == digitsStart)
        return std::nullopt;
    skipSpaces();
    if (pos != size)
        return std::nullopt; // a longer number, a fraction or more criterion: the full parser
    result.value = negative ? -magnitude : magnitude;
    return result;
}

} // namespace db::criteria
