#pragma once

#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The filter language of FindFirst / FindNext:
//   field names (any letter case, optionally in [brackets]), numbers, "texts" (a doubled quote
//   inside is one quote), = <> < > <= >=, Like, And, Or, Not and parentheses.
// Texts compare without regard to letter case and accents. A comparison with a null, or of a
// text that is not a number with a number, is unknown and so never matches, not even under Not.
namespace db::criteria {

// A value as the criteria see it. Texts are in folded form (text_fold.h).
struct Scalar {
    enum class Kind { Null, Integer, Double, Boolean, Text };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0.0;
    bool boolean = false;
    std::string_view folded;
};

// Where a compiled criterion reads the cells of the row it is tested against.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual Scalar cell(int row, int column) const = 0;
};

// `column = number`, the shape that a sorted column can answer by binary search.
struct ColumnEquality {
    int column = -1;
    double value = 0.0;
};

struct Node;

class Criterion {
public:
    using ColumnResolver = std::function<int(QStringView name)>; // -1 for an unknown name

    // Raises "syntax error in criterion" with the position of the fault, or "column not found".
    static Criterion compile(QStringView text, const ColumnResolver& columnOf);

    Criterion(Criterion&&) noexcept;
    Criterion& operator=(Criterion&&) noexcept;
    ~Criterion();

    bool matches(const RowSource& rows, int row) const;
    std::optional<ColumnEquality> columnEquality() const;

private:
    explicit Criterion(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

// Recognises "name = whole number" without building a criterion, so that the common look-up
// by number costs no allocation. Anything else gives nothing and goes through compile().
struct SimpleEquality {
    QStringView field;
    std::int64_t value = 0;
};
std::optional<SimpleEquality> parseSimpleEquality(QStringView text);

} // namespace db::criteria
