#include "platform/database/variant.h"

#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"

namespace db {

using core::ErrorCode;

namespace {

[[noreturn]] void nullUsed() {
    core::raise(ErrorCode::InvalidUseOfNull);
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
            core::raise(
                ErrorCode::TypeMismatch,
                QStringLiteral("Tipo incompatível: o texto \"%1\" não é um número.").arg(text()));
        return core::Val(text());
    }
    nullUsed();
}

QString describe(const Variant& value) {
    return value.isNull() ? QStringLiteral("(nulo)") : value.toText();
}

} // namespace db
