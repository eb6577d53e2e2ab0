// The filter-criteria reader and matcher. A criterion that compiles is matched against a few
// rows holding every kind of cell, nulls among them. A clean run-time error is an expected
// answer to a bad criterion; anything else that goes wrong is a finding.

#include "data/search.h"
#include "fuzz_input.h"
#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"
#include "platform/database/criteria.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using core::ErrorCode;
using db::Cell;
using db::criteria::Criterion;
using Type = db::Variant::Type;
using namespace Qt::StringLiterals;

namespace {

// Columns Numero, Mensagem, Valor, Ativo and Vazio (always null), as in the collections and the
// options.
class SampleRows {
public:
    static constexpr int columns = 5;

    SampleRows() {
        addRow(integer(1), "O amor vence tudo", real(2.5), boolean(true));
        addRow(integer(32767), "Coração de \"ouro\", amor", real(-0.5), boolean(false));
        addRow(Cell{}, " 12 ", real(1e300), boolean(true));
        addRow(integer(-7), nullptr, real(std::numeric_limits<double>::infinity()), Cell{});
        addRow(integer(0), "", real(0.0), boolean(false));
        addRow(integer(5), "1e400 [*?#] 5", real(-1e-310), boolean(true));
    }

    static int column(QStringView name) {
        static constexpr std::array<QStringView, columns> names{u"Numero", u"Mensagem", u"Valor",
                                                                u"Ativo", u"Vazio"};
        for (int i = 0; i < columns; ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    int rowCount() const { return static_cast<int>(m_rows.size()); }

    Cell cell(int row, int column) const {
        const Row& r = m_rows[static_cast<std::size_t>(row)];
        switch (column) {
        case 0:
            return r.numero;
        case 1:
            return r.mensagem ? text(*r.mensagem) : Cell{};
        case 2:
            return r.valor;
        case 3:
            return r.ativo;
        default:
            return Cell{};
        }
    }

    // Numero of a row, when it holds a whole number.
    std::optional<std::int64_t> numero(int row) const {
        const Cell& value = m_rows[static_cast<std::size_t>(row)].numero;
        if (value.type != Type::Integer)
            return std::nullopt;
        return value.integer;
    }

private:
    struct Row {
        Cell numero;
        std::optional<std::string> mensagem; // folded
        Cell valor;
        Cell ativo;
    };

    static Cell integer(std::int64_t value, Type type = Type::Integer) {
        Cell c;
        c.type = type, c.integer = value;
        return c;
    }
    static Cell boolean(bool value) { return integer(value, Type::Boolean); }
    static Cell real(double value) {
        Cell c;
        c.type = Type::Double, c.real = value;
        return c;
    }
    static Cell text(std::string_view folded) {
        Cell c;
        c.type = Type::Text, c.text = folded.data(), c.foldedLength = std::uint32_t(folded.size());
        return c;
    }

    // A null pointer for a null Mensagem.
    void addRow(Cell numero, const char* mensagem, Cell valor, Cell ativo) {
        std::optional<std::string> folded;
        if (mensagem)
            folded = core::text::fold(std::string_view(mensagem));
        m_rows.push_back(Row{numero, std::move(folded), valor, ativo});
    }

    std::vector<Row> m_rows;
};

std::optional<Criterion> compiled(const QString& text, std::optional<core::RuntimeError>& error) {
    try {
        return Criterion::compile(text, &SampleRows::column);
    } catch (const core::RuntimeError& raised) {
        error = raised;
        return std::nullopt;
    }
}

// The error box shows the description, so it must quote the criterion exactly as typed and,
// for a syntax error, point at a place inside it or just past its end.
void checkError(const core::RuntimeError& error, const QString& text) {
    const QString& description = error.description();
    if (error.code() == ErrorCode::ColumnNotFound) {
        fuzz::require(description.contains(u'"' + text + u'"'),
                      "the column error does not quote the criterion", description);
        return;
    }
    fuzz::require(error.code() == ErrorCode::CriterionSyntax, "unexpected error from compile",
                  description);
    const QString lead = u"Erro de sintaxe no critério \""_s + text + u"\", na posição "_s;
    fuzz::require(description.startsWith(lead), "the syntax error does not quote the criterion",
                  description);
    const qsizetype colon = description.indexOf(u':', lead.size());
    bool isNumber = false;
    const qsizetype position =
        colon < 0 ? 0 : description.sliced(lead.size(), colon - lead.size()).toLongLong(&isNumber);
    fuzz::require(isNumber && position >= 1 && position <= text.size() + 1,
                  "the syntax error points outside the criterion", description);
}

// The Find window looks for whatever keyword was typed, a double quote included: its criterion
// always compiles and matches exactly where its pattern does.
void checkKeyword(const QString& keyword, const SampleRows& rows) {
    std::optional<core::RuntimeError> error;
    const auto criterion = compiled(data::keywordCriterion(keyword), error);
    fuzz::require(criterion.has_value(), "the criterion for a keyword does not compile", keyword);
    const db::LikePattern pattern(core::text::fold(u"* "_s + keyword + u" *"_s));
    for (int row = 0; row < rows.rowCount(); ++row) {
        const Cell cell = rows.cell(row, criterion->column());
        fuzz::require(criterion->matches(cell) ==
                          (cell.type == Type::Text && pattern.matches(cell.folded())),
                      "the criterion for a keyword finds the wrong rows", keyword);
    }
}

// The Find window turns a typed number into "Numero = <plain form>"; that must always compile
// and find exactly the rows holding that number.
void checkTypedNumber(const QString& typed, const SampleRows& rows) {
    if (!core::IsNumeric(typed))
        return;
    const double value = core::Val(core::Trim(typed));
    const QString text = u"Numero = "_s + core::plainForm(value);
    std::optional<core::RuntimeError> error;
    const auto criterion = compiled(text, error);
    fuzz::require(criterion.has_value(), "the criterion for a typed number does not compile", text);
    if (value != std::trunc(value) || std::fabs(value) >= 1e15)
        return; // shown with 15 significant digits, so only whole numbers compare exactly
    for (int row = 0; row < rows.rowCount(); ++row)
        if (const auto numero = rows.numero(row))
            fuzz::require(criterion->matches(rows.cell(row, 0)) ==
                              (static_cast<double>(*numero) == value),
                          "the criterion for a typed number finds the wrong rows", text);
}

void check(const QString& text) {
    const SampleRows rows;
    std::optional<core::RuntimeError> error;
    const auto criterion = compiled(text, error);
    if (error)
        checkError(*error, text);
    checkKeyword(text, rows);
    checkTypedNumber(text, rows);
    if (criterion)
        for (int row = 0; row < rows.rowCount(); ++row)
            criterion->matches(rows.cell(row, criterion->column()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    check(fuzz::fromUtf8(bytes));
    check(fuzz::fromUtf16(bytes));
    return 0;
}
