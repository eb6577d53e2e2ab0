#pragma once

#include <QString>
#include <cstdint>
#include <string_view>
#include <variant>

namespace db {

// A field's value: null, a whole number, a double, a truth value or a text.
class Variant {
public:
    // One byte, so that a recordset's cells stay small.
    enum class Type : std::uint8_t { Null, Integer, Double, Boolean, Text };

    Variant() = default;
    Variant(std::int64_t value) : m_value(value) {}
    Variant(int value) : m_value(std::int64_t{value}) {}
    Variant(double value) : m_value(value) {}
    Variant(bool value) : m_value(value) {}
    Variant(QString value) : m_value(std::move(value)) {}
    Variant(const char16_t* value) : m_value(QString::fromUtf16(value)) {}
    // A narrow literal would otherwise turn silently into a truth value.
    Variant(const char*) = delete;

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isNull() const { return type() == Type::Null; }

    std::int64_t integer() const { return std::get<std::int64_t>(m_value); }
    double real() const { return std::get<double>(m_value); }
    bool boolean() const { return std::get<bool>(m_value); }
    const QString& text() const { return std::get<QString>(m_value); }

    // Conversions as the program's code applies them. Each raises "invalid use of null" on a
    // null and "type mismatch" on a text that does not spell what is asked for.
    QString toText() const;
    double toDouble() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, std::int64_t, double, bool, QString> m_value;
};

// How a value reads in an error message: its text, or a word for a null.
QString describe(const Variant& value);

// A value as a recordset keeps it in memory. A text is kept folded, ready for finds, and rebuilt
// when its value is read (core::FoldedTexts); or, until its recordset folds it, as it was read.
struct Cell {
    Variant::Type type = Variant::Type::Null;
    bool binary = false;            // a text that was stored as a blob
    std::uint16_t textChanges = 0;  // see core::FoldedTexts::Text
    std::uint32_t foldedLength = 0; // of a text
    union {
        std::int64_t integer = 0; // also a truth value, 0 or 1
        double real;
        const char* text;
    };
    std::string_view folded() const { return {text, foldedLength}; }
};
// A collection keeps two cells per message in memory, up to 32767 messages.
static_assert(sizeof(Cell) == 16);

} // namespace db
