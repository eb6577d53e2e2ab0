#include "platform/database/variant.h"

#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"

namespace db {

using core::ErrorCode;

namespace {

[[noreturn]] void nullUsed() {
    core::raise(ErrorCode::InvalidUseOfNull);
}

[[noreturn]] void mismatch(const QString& text, const char* wanted) {
    core::raise(ErrorCode::TypeMismatch,
                QStringLiteral("Tipo incompatível: o texto \"%1\" não é %2.")
                    .arg(text, QString::fromUtf8(wanted)));
}

} // namespace

QString Variant::toText() const {
    switch (type()) {
    case Type::Null:
        nullUsed();
    case Type::Integer:
        return core::plainForm(integer());
    case Type::Double:
        return core::plainForm(real());
    case Type::Boolean:
        return boolean() ? QStringLiteral("Verdadeiro") : QStringLiteral("Falso");
    case Type::Text:
        return text();
    }
    nullUsed();
}

double Variant::toDouble() const {
    switch (type()) {
    case Type::Null:
        nullUsed();
    case Type::Integer:
        return static_cast<double>(integer());
    case Type::Double:
        return real();
    case Type::Boolean:
        return boolean() ? -1.0 : 0.0;
    case Type::Text:
        if (!core::IsNumeric(text()))
            mismatch(text(), "um número");
        return core::Val(text());
    }
    nullUsed();
}

bool Variant::truthValue() const {
    switch (type()) {
    case Type::Null:
        return false;
    case Type::Boolean:
        return boolean();
    case Type::Text: {
        const QString word = text().trimmed();
        for (const char* yes : {"true", "verdadeiro", "sim"})
            if (word.compare(QLatin1StringView(yes), Qt::CaseInsensitive) == 0)
                return true;
        for (const char* no : {"false", "falso", "não", "nao"})
            if (word.compare(QString::fromUtf8(no), Qt::CaseInsensitive) == 0)
                return false;
        if (!core::IsNumeric(word))
            mismatch(text(), "verdadeiro nem falso");
        return core::Val(word) != 0.0;
    }
    default:
        return toDouble() != 0.0;
    }
}

bool Variant::equalsInteger(std::int64_t value) const {
    switch (type()) {
    case Type::Integer:
        return integer() == value;
    case Type::Double:
        return real() == static_cast<double>(value);
    case Type::Text:
        return core::IsNumeric(text()) && core::Val(text()) == static_cast<double>(value);
    default:
        return false;
    }
}

QString describe(const Variant& value) {
    return value.isNull() ? QStringLiteral("(nulo)") : value.toText();
}

} // namespace db
