#pragma once

#include <QString>
#include <stdexcept>

namespace core {

// Every failure the program does not handle itself ends up as one of these. The numbers are
// what the user sees in the error box, so they never change meaning once released.
enum class ErrorCode : int {
    FileNotFound = 101,
    NotADatabase = 102,
    FileLocked = 103,
    DatabaseDamaged = 104,
    TableNotFound = 105,
    ColumnNotFound = 106,
    NoCurrentRecord = 107,
    CriterionSyntax = 108,
    WriteFailed = 109,
    NotUpdatable = 110,
    DatabaseError = 111,
    NotInEditMode = 112,
    CollectionUnusable = 113,
    Overflow = 201,
    InvalidUseOfNull = 202,
    FloatingPoint = 203,
    TypeMismatch = 204,
    InvalidPropertyValue = 301,
    OutOfMemory = 302,
    InternalError = 303,
};

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(ErrorCode code, const QString& description);

    ErrorCode code() const { return m_code; }
    int number() const { return static_cast<int>(m_code); }
    const QString& description() const { return m_description; }

private:
    ErrorCode m_code;
    QString m_description;
};

// The standard Portuguese wording of each error, for errors that carry no detail of their own.
QString standardDescription(ErrorCode code);

[[noreturn]] void raise(ErrorCode code);
[[noreturn]] void raise(ErrorCode code, const QString& description);

} // namespace core
