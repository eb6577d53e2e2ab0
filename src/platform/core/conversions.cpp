#include "platform/core/conversions.h"

#include "platform/core/runtime_error.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace core {

using core::ErrorCode;

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// How many digits of `text` from `pos` on are ASCII digits.
qsizetype digitRun(QStringView text, qsizetype pos) {
    qsizetype n = 0;
    while (pos + n < text.size() && isAsciiDigit(text[pos + n]))
        ++n;
    return n;
}

// std::from_chars leaves the value untouched when it is out of range; decide between an
// infinity and a zero from the number's decimal magnitude. The exponent may be as long as the
// text, so it is clamped while read and never added to anything.
double outOfRangeValue(const std::string& mantissaAndExponent) {
    const auto ePos = mantissaAndExponent.find_first_of("eE");
    const std::string mantissa = mantissaAndExponent.substr(0, ePos);
    long long exponent = 0;
    if (ePos != std::string::npos) {
        const std::string expText = mantissaAndExponent.substr(ePos + 1);
        const char* first = expText.data();
        if (*first == '+')
            ++first;
        const auto [ptr, ec] = std::from_chars(first, expText.data() + expText.size(), exponent);
        if (ec == std::errc::result_out_of_range)
            exponent = expText[0] == '-' ? std::numeric_limits<long long>::min()
                                         : std::numeric_limits<long long>::max();
        (void)ptr;
    }
    // Position of the first significant digit relative to the decimal point; its size is
    // bounded by the length of the text.
    long long magnitude = 0;
    const auto point = mantissa.find('.');
    const std::string integral = mantissa.substr(0, point);
    const auto firstSignificant = integral.find_first_not_of('0');
    if (firstSignificant != std::string::npos) {
        magnitude = static_cast<long long>(integral.size() - firstSignificant);
    } else {
        const auto fraction =
            point == std::string::npos ? std::string() : mantissa.substr(point + 1);
        const auto nonZero = fraction.find_first_not_of('0');
        if (nonZero == std::string::npos)
            return 0.0;
        magnitude = -static_cast<long long>(nonZero);
    }
    return exponent > -magnitude ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

LeadingNumber scanLeadingNumber(QStringView text) {
    LeadingNumber result;
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    const qsizetype mantissaStart = pos;
    const qsizetype integerDigits = digitRun(text, pos);
    pos += integerDigits;
    qsizetype fractionDigits = 0;
    if (pos < text.size() && text[pos] == u'.') {
        fractionDigits = digitRun(text, pos + 1);
        pos += 1 + fractionDigits;
    }
    if (integerDigits + fractionDigits == 0)
        return result;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype expPos = pos + 1;
        if (expPos < text.size() && (text[expPos] == u'+' || text[expPos] == u'-'))
            ++expPos;
        const qsizetype expDigits = digitRun(text, expPos);
        if (expDigits > 0)
            pos = expPos + expDigits;
    }

    std::string ascii = text.sliced(mantissaStart, pos - mantissaStart).toLatin1().toStdString();
    if (ascii.front() == '.' || ascii.front() == 'e' || ascii.front() == 'E')
        ascii.insert(ascii.begin(), '0');
    double magnitude = 0.0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), magnitude,
                                           std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range)
        magnitude = outOfRangeValue(ascii);
    result.value = negative ? -magnitude : magnitude;
    result.end = pos;
    result.hasDigits = true;
    return result;
}

double Val(QStringView text) {
    const LeadingNumber number = scanLeadingNumber(text);
    if (!std::isfinite(number.value))
        core::raise(ErrorCode::Overflow,
                    QStringLiteral("Estouro de capacidade: o número \"%1\" é grande demais.")
                        .arg(text.sliced(0, number.end).trimmed()));
    return number.value;
}

namespace {

QStringView withoutSpacesAround(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first);
}

} // namespace

QString Trim(QStringView text) {
    return withoutSpacesAround(text).toString();
}

bool IsNumeric(QStringView text) {
    const QStringView trimmed = withoutSpacesAround(text);
    const LeadingNumber number = scanLeadingNumber(trimmed);
    return number.hasDigits && number.end == trimmed.size() && std::isfinite(number.value);
}

QString plainForm(std::int64_t value) {
    return QString::number(value);
}

QString plainForm(double value) {
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<std::int64_t>(value));
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0)
        text[e] = u'E';
    return text;
}

QString Str(std::int64_t value) {
    return value < 0 ? plainForm(value) : QLatin1Char(' ') + plainForm(value);
}

double roundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

namespace {

template <typename Int> Int toChecked(double value, const char* typeName) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max())))
        core::raise(ErrorCode::Overflow,
                    QStringLiteral("Estouro de capacidade: %1 não cabe em um inteiro de %2.")
                        .arg(plainForm(value), QLatin1StringView(typeName)));
    return static_cast<Int>(rounded);
}

} // namespace

std::int16_t toInt16(double value) {
    return toChecked<std::int16_t>(value, "16 bits");
}

std::int32_t toInt32(double value) {
    return toChecked<std::int32_t>(value, "32 bits");
}

std::int16_t toInt16(std::int64_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        core::raise(ErrorCode::Overflow,
                    QStringLiteral("Estouro de capacidade: %1 não cabe em um inteiro de 16 bits.")
                        .arg(value));
    return static_cast<std::int16_t>(value);
}

double checkedProduct(double a, double b) {
    const double product = a * b;
    if (!std::isfinite(product))
        core::raise(ErrorCode::FloatingPoint,
                    QStringLiteral("Erro de ponto flutuante ao multiplicar %1 por %2.")
                        .arg(plainForm(a), plainForm(b)));
    return product;
}

} // namespace core
