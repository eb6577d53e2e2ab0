#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// Conversions between text and numbers that behave the same in every locale: the decimal point
// is always ".", so a value written on one machine reads back the same on another.
namespace core {

// The longest leading part of a text that spells a decimal number: leading blanks, an optional
// sign, digits with at most one "." and an optional exponent ("e" or "E", optional sign,
// digits). `end` is the index just past the number; `value` is 0 when no digit was read and
// may be infinite when the text spells a number too large for a double.
struct LeadingNumber {
    double value = 0.0;
    qsizetype end = 0;
    bool hasDigits = false;
};

LeadingNumber scanLeadingNumber(QStringView text);

// The value of the leading number of `text`, 0 when there is none. A number beyond the range of
// a double is an overflow error rather than an infinity.
double Val(QStringView text);

// The text without the spaces before and after it; tabs and other blanks stay.
QString Trim(QStringView text);

// True when `text`, without the blanks around it, is one finite decimal number read to its end.
bool IsNumeric(QStringView text);

// Decimal digits with a minus sign in front of a negative number, nothing else.
QString plainForm(std::int64_t value);
// Whole numbers as plainForm(int64); others with up to 15 significant digits, "." as the
// decimal point and an exponent written "E+NN" / "E-NN" when one is needed.
QString plainForm(double value);
// A blank in front of a non-negative number, a minus sign in front of a negative one.
QString Str(std::int64_t value);

// Nearest whole number, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Rounded (halves to even) and range-checked; outside the range, or not a number, is an
// overflow error.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);
std::int16_t toInt16(std::int64_t value);

// a * b, with an infinite or undefined result reported as a floating-point error.
double checkedProduct(double a, double b);

} // namespace core
