// The number conversions: the leading-number parse behind Val and IsNumeric, the checked
// roundings to 16 and 32 bits, the checked product, the plain forms, and the timer period the
// Options window derives from the typed seconds. Besides running them on anything a user could
// type, the target checks what must always hold: the parse agrees with the C library's strtod,
// a rounding stays within half a unit of its input, and a plain form reads back as its number.

#include "data/options.h"
#include "fuzz_input.h"
#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

using core::ErrorCode;
using namespace Qt::StringLiterals;

namespace {

// What an action returns, or the code of the run-time error it raised.
template <typename Action> auto outcome(Action&& action) {
    using Result = decltype(action());
    struct Outcome {
        std::optional<Result> value;
        ErrorCode error{};
    } result;
    try {
        result.value = action();
    } catch (const core::RuntimeError& error) {
        result.error = error.code();
    }
    return result;
}

QString described(double value) {
    return QString::number(value, 'g', 17);
}

// The number spelled at the start of the text, as the C library reads it.
void checkLeadingNumber(const QString& text) {
    const core::LeadingNumber number = core::scanLeadingNumber(text);
    fuzz::require(number.end >= 0 && number.end <= text.size() &&
                      number.hasDigits == (number.end > 0),
                  "the scanned extent is off", text);
    if (!number.hasDigits) {
        fuzz::require(number.value == 0.0, "no number read, but not zero", text);
        return;
    }
    const QByteArray spelled = text.first(number.end).toLatin1();
    char* end = nullptr;
    const double expected = std::strtod(spelled.constData(), &end);
    fuzz::require(end == spelled.constData() + spelled.size(), "the scanned part is not one number",
                  text);
    fuzz::require(number.value == expected, "the scanned value differs from strtod's", text);

    const auto val = outcome([&] { return core::Val(text); });
    if (std::isfinite(number.value))
        fuzz::require(val.value == number.value, "Val differs from the scanned value", text);
    else
        fuzz::require(val.error == ErrorCode::Overflow, "Val of an infinite number", text);
}

void checkIsNumeric(const QString& text) {
    if (!core::IsNumeric(text))
        return;
    const auto val = outcome([&] { return core::Val(text); });
    fuzz::require(val.value && std::isfinite(*val.value), "a numeric text has no finite value",
                  text);
    fuzz::require(core::Val(core::Trim(text)) == *val.value,
                  "the spaces around a numeric text change its value", text);
}

// The timer period for typed seconds: within half a millisecond of the exact product, or a
// clean error when that product has no 32-bit whole number.
void checkPeriod(const QString& seconds) {
    const double exact = core::scanLeadingNumber(seconds).value * 1000.0;
    const auto period = outcome([&] { return data::periodFromSecondsText(seconds); });
    if (period.value) {
        fuzz::require(std::fabs(*period.value - exact) <= 0.5, "the period is off", seconds);
        return;
    }
    const bool mayFail = !std::isfinite(exact) || std::fabs(exact) >= 2147483647.5;
    fuzz::require(mayFail && (period.error == ErrorCode::Overflow ||
                              period.error == ErrorCode::FloatingPoint),
                  "the period of a valid number fails", seconds);
}

template <typename Int> void checkRounding(double value) {
    const auto rounded = outcome([&] {
        if constexpr (sizeof(Int) == 2)
            return core::toInt16(value);
        else
            return core::toInt32(value);
    });
    const double nearest = core::roundHalfEven(value);
    const bool fits =
        nearest >= std::numeric_limits<Int>::min() && nearest <= std::numeric_limits<Int>::max();
    if (!rounded.value) {
        fuzz::require(!fits && rounded.error == ErrorCode::Overflow,
                      "a number that fits was refused", described(value));
        return;
    }
    fuzz::require(fits && std::fabs(*rounded.value - value) <= 0.5,
                  "a rounding left its range or moved too far", described(value));
}

void checkDouble(double value) {
    const double nearest = core::roundHalfEven(value);
    if (std::isfinite(value)) {
        const double distance = std::fabs(nearest - value);
        fuzz::require(nearest == std::trunc(nearest) && distance <= 0.5 &&
                          (distance < 0.5 || std::fmod(nearest, 2.0) == 0.0),
                      "the rounding is not to the nearest, halves to even", described(value));
    }
    checkRounding<std::int16_t>(value);
    checkRounding<std::int32_t>(value);

    const auto product = outcome([&] { return core::checkedProduct(value, 1000.0); });
    fuzz::require(product.value
                      ? *product.value == value * 1000.0
                      : product.error == ErrorCode::FloatingPoint && !std::isfinite(value * 1000.0),
                  "the checked product is wrong", described(value));

    // Fifteen significant digits read back within their rounding; whole numbers exactly. Right
    // at the top of the range the rounded digits may lie beyond it.
    if (!std::isfinite(value) || std::fabs(value) > 1e308)
        return;
    const QString plain = core::plainForm(value);
    const double back = core::Val(plain);
    const bool whole = value == std::trunc(value) && std::fabs(value) < 1e15;
    const double slack =
        whole ? 0.0 : std::fabs(value) * 1e-14 + std::numeric_limits<double>::denorm_min();
    fuzz::require(core::IsNumeric(plain) && std::fabs(back - value) <= slack,
                  "the plain form does not read back", described(value) + u" -> "_s + plain);
}

void checkInteger(std::int64_t value) {
    const QString plain = core::plainForm(value);
    fuzz::require(plain.toLongLong() == value && (value < 0) == plain.startsWith(u'-'),
                  "the plain form of a whole number is wrong", plain);
    const QString str = core::Str(value);
    fuzz::require(str == (value < 0 ? plain : u' ' + plain), "Str is wrong", str);
    const auto narrow = outcome([&] { return core::toInt16(value); });
    const bool fits = value >= -32768 && value <= 32767;
    fuzz::require(narrow.value ? fits && *narrow.value == value
                               : !fits && narrow.error == ErrorCode::Overflow,
                  "the 16-bit check of a whole number is wrong", plain);
}

void checkText(const QString& text) {
    checkLeadingNumber(text);
    checkIsNumeric(text);
    checkPeriod(text);
    checkDouble(core::scanLeadingNumber(text).value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    checkText(fuzz::fromUtf8(bytes));
    checkText(fuzz::fromUtf16(bytes));
    // The first bytes also stand for a number as the machine holds it: every double, NaNs,
    // infinities and subnormals included, and every 64-bit whole number.
    if (size >= sizeof(double)) {
        double real = 0.0;
        std::int64_t integer = 0;
        std::memcpy(&real, data, sizeof real);
        std::memcpy(&integer, data, sizeof integer);
        checkDouble(real);
        checkInteger(integer);
    }
    return 0;
}
