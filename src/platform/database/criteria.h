#pragma once

#include "platform/database/like.h"
#include "platform/database/variant.h"

#include <QStringView>
#include <functional>
#include <optional>

// The filter of FindFirst / FindNext, in the two forms the program asks:
//   <field> = <number>        a decimal number as the program writes it, a minus sign allowed
//   <field> Like "<pattern>"  a doubled quote inside the pattern is one quote (like.h)
// Field names in any letter case, optionally in [brackets]. Anything else is a syntax error.
namespace db::criteria {

class Criterion {
public:
    using ColumnResolver = std::function<int(QStringView name)>; // -1 for an unknown name

    // Raises "syntax error in criterion" with the position of the fault, or "column not found".
    static Criterion compile(QStringView text, const ColumnResolver& columnOf);

    int column() const { return m_column; }
    // The number of `field = number`; nothing for a Like.
    std::optional<double> number() const {
        return m_pattern ? std::nullopt : std::optional(m_number);
    }
    // A null never matches. A number equals a number cell, or a text that spells it; Like reads
    // a number cell in its plain form.
    bool matches(const Cell& cell) const;

private:
    Criterion(int column, double number, std::optional<LikePattern> pattern)
        : m_column(column), m_number(number), m_pattern(std::move(pattern)) {}

    int m_column;
    double m_number;
    std::optional<LikePattern> m_pattern;
};

} // namespace db::criteria
