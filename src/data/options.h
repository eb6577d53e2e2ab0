#pragma once

#include "platform/database/engine.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>

namespace data {

inline constexpr char16_t optionsFileName[] = u"/opcoes";
inline constexpr char16_t optionsTable[] = u"opcoes";

struct OptionsHandles {
    std::shared_ptr<db::Database> database;
    std::shared_ptr<db::Recordset> record;
};

// The options file beside the program.
QString optionsPath(const QString& programDirectory);

// Opens this user's options file (see options_location.h) and its table, first making the user's
// own copy of the installed file when a shared install asks for one. The program never creates
// the file beside it, nor the table or the row.
OptionsHandles openOptions(db::Engine& engine, const QString& programDirectory);

// The three settings, read from the current row of the options table.
// IniCom equal to 1 picks the first collection; anything else, a null included, the second.
bool startsWithFirstCollection(db::Recordset& options);
// Each error names the options file and the field at fault.
// SegTem as text, "." as the decimal point whatever the locale. A null is error 202.
QString secondsText(db::Recordset& options);
// SegTem's text through the leading-number parse, times 1000, rounded to whole milliseconds. A
// period the timer cannot take is error 201 (too large), 203 (beyond a double, an infinity or not
// a number) or 301 (negative).
std::int32_t timerPeriodMilliseconds(db::Recordset& options);
// SegTem's text through the leading-number parse, rounded to whole seconds.
std::int32_t wholeSeconds(db::Recordset& options);
// ComTem's truth value; a null is false, a text that is neither true nor false error 204.
bool timerOn(db::Recordset& options);

// The period for a seconds text: the leading-number parse, times 1000 with a floating-point
// check, rounded (halves to even) to a 32-bit number of milliseconds with an overflow check.
std::int32_t periodFromSecondsText(QStringView seconds);

} // namespace data
