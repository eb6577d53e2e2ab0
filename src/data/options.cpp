#include "data/options.h"

#include "data/options_location.h"
#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"

#include <cmath>
#include <limits>
#include <optional>

namespace data {

using core::ErrorCode;

namespace {

[[noreturn]] void optionsError(ErrorCode code, const db::Recordset& options, const QString& fault) {
    core::raise(code,
                QStringLiteral("O arquivo de opções \"%1\" %2").arg(options.DatabaseName(), fault));
}

// `request` completes "pede ...": what the stored period asks of the timer.
[[noreturn]] void periodOutOfRange(ErrorCode code, const db::Recordset& options,
                                   const QString& request) {
    constexpr int longestSeconds = std::numeric_limits<std::int32_t>::max() / 1000;
    optionsError(
        code, options,
        QStringLiteral("pede %1 (campo SegTem da tabela %2), mas o temporizador só "
                       "aceita de 0 a %3 segundos.")
            .arg(request, QString::fromUtf16(optionsTable), QString::number(longestSeconds)));
}

QString everySeconds(const QString& seconds) {
    return QStringLiteral("que a mensagem mude a cada %1 segundos").arg(seconds);
}

// An infinity reads as the word "inf", which the leading-number parse takes for 0: the timer
// would be off without a word. It is beyond the timer, as 1e308 seconds is.
void requireFinite(const db::Recordset& options, const db::Variant& seconds) {
    if (seconds.type() != db::Variant::Type::Double || std::isfinite(seconds.real()))
        return;
    const QString request =
        std::isnan(seconds.real()) ? QStringLiteral("um intervalo que não é um número")
        : seconds.real() > 0       ? QStringLiteral("um intervalo infinito entre as mensagens")
                             : QStringLiteral("um intervalo infinito negativo entre as mensagens");
    periodOutOfRange(ErrorCode::FloatingPoint, options, request);
}

// IniCom names the first collection with 1; a null, a truth value or a text that spells no
// number never does.
bool isOne(const db::Variant& value) {
    switch (value.type()) {
    case db::Variant::Type::Integer:
        return value.integer() == 1;
    case db::Variant::Type::Double:
        return value.real() == 1.0;
    case db::Variant::Type::Text:
        return core::IsNumeric(value.text()) && core::Val(value.text()) == 1.0;
    default:
        return false;
    }
}

// ComTem as a truth value: a null counts as false, a number is true when it is not zero, and a
// file edited by hand may say it in words. Nothing for any other text.
std::optional<bool> truthOf(const db::Variant& value) {
    if (value.type() != db::Variant::Type::Text)
        return !value.isNull() && value.toDouble() != 0.0;
    const QString word = value.text().trimmed();
    for (const char* yes : {"true", "verdadeiro", "sim"})
        if (word.compare(QLatin1StringView(yes), Qt::CaseInsensitive) == 0)
            return true;
    for (const char* no : {"false", "falso", "não", "nao"})
        if (word.compare(QString::fromUtf8(no), Qt::CaseInsensitive) == 0)
            return false;
    if (!core::IsNumeric(word))
        return std::nullopt;
    return core::Val(word) != 0.0;
}

} // namespace

QString optionsPath(const QString& programDirectory) {
    return programDirectory + QString::fromUtf16(optionsFileName);
}

namespace {

OptionsHandles openOptionsFile(db::Engine& engine, const QString& path) {
    OptionsHandles handles;
    handles.database = engine.Workspaces(0).OpenDatabase(path);
    handles.record = handles.database->OpenRecordset(QString::fromUtf16(optionsTable));
    return handles;
}

} // namespace

// The installed file is opened before it is copied, so that a damaged one is reported under its
// own name and never becomes the user's copy.
OptionsHandles openOptions(db::Engine& engine, const QString& programDirectory) {
    const OptionsLocation location = locateOptions(programDirectory);
    OptionsHandles handles = openOptionsFile(engine, location.readFrom);
    makeUserOptions(location);
    if (!location.needsUserCopy())
        return handles;
    return openOptionsFile(engine, location.writeTo);
}

bool startsWithFirstCollection(db::Recordset& options) {
    return isOne(options.Fields(u"IniCom").Value());
}

QString secondsText(db::Recordset& options) {
    const db::Variant seconds = options.Fields(u"SegTem").Value();
    if (seconds.isNull())
        optionsError(ErrorCode::InvalidUseOfNull, options,
                     QStringLiteral("não diz de quantos em quantos segundos a mensagem muda: o "
                                    "campo SegTem da tabela %1 é nulo.")
                         .arg(QString::fromUtf16(optionsTable)));
    return seconds.toText();
}

// The timer takes no negative period either.
std::int32_t timerPeriodMilliseconds(db::Recordset& options) {
    const QString seconds = secondsText(options);
    requireFinite(options, options.Fields(u"SegTem").Value());
    std::int32_t period = 0;
    try {
        period = periodFromSecondsText(seconds);
    } catch (const core::RuntimeError& error) {
        periodOutOfRange(error.code(), options, everySeconds(seconds));
    }
    if (period < 0)
        periodOutOfRange(ErrorCode::InvalidPropertyValue, options, everySeconds(seconds));
    return period;
}

// Read the way the period is, so that a stored text the timer takes as 0 opens the Options
// window too instead of ending the program.
std::int32_t wholeSeconds(db::Recordset& options) {
    return core::toInt32(core::Val(secondsText(options)));
}

bool timerOn(db::Recordset& options) {
    const db::Variant on = options.Fields(u"ComTem").Value();
    if (const std::optional<bool> truth = truthOf(on))
        return *truth;
    optionsError(ErrorCode::TypeMismatch, options,
                 QStringLiteral("diz \"%1\" no campo ComTem da tabela %2, que deveria dizer se o "
                                "temporizador está ligado (verdadeiro ou falso).")
                     .arg(db::describe(on), QString::fromUtf16(optionsTable)));
}

std::int32_t periodFromSecondsText(QStringView seconds) {
    return core::toInt32(core::checkedProduct(core::Val(seconds), 1000.0));
}

} // namespace data
