#include "data/options.h"

#include "platform/toolkit/conversions.h"

namespace data {

QString optionsPath(const QString& programDirectory) {
    return programDirectory + QString::fromUtf16(optionsFileName);
}

OptionsHandles openOptions(db::Engine& engine, const QString& programDirectory) {
    OptionsHandles handles;
    handles.database = engine.OpenDatabase(optionsPath(programDirectory));
    handles.record = handles.database->OpenRecordset(QString::fromUtf16(optionsTable));
    return handles;
}

bool startsWithFirstCollection(db::Recordset& options) {
    return options.Fields(u"IniCom").Value().equalsInteger(1);
}

QString secondsText(db::Recordset& options) {
    return options.Fields(u"SegTem").Value().toText();
}

std::int32_t timerPeriodMilliseconds(db::Recordset& options) {
    return periodFromSecondsText(secondsText(options));
}

std::int32_t wholeSeconds(db::Recordset& options) {
    return toolkit::toInt32(options.Fields(u"SegTem").Value().toDouble());
}

bool timerOn(db::Recordset& options) {
    return options.Fields(u"ComTem").Value().truthValue();
}

std::int32_t periodFromSecondsText(QStringView seconds) {
    return toolkit::toInt32(toolkit::checkedProduct(toolkit::Val(seconds), 1000.0));
}

void writeOptions(db::Recordset& options, const OptionsChoice& choice) {
    // Parsed before the edit begins, so a parse error cannot leave an edit open.
    const double seconds = toolkit::Val(choice.secondsText);
    options.Edit();
    options.Fields(u"IniCom").setValue(choice.firstCollection ? 1 : 2);
    options.Fields(u"SegTem").setValue(seconds);
    options.Fields(u"ComTem").setValue(choice.timerOn);
    options.Update();
}

} // namespace data
