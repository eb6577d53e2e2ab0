#include "data/search.h"

#include "platform/core/conversions.h"

namespace data {

using namespace Qt::StringLiterals;

QString keywordCriterion(QStringView keyword) {
    QString pattern = keyword.toString();
    pattern.replace(u'"', u"\"\""_s);
    return u"Mensagem Like \"* "_s + pattern + u" *\""_s;
}

QString typedNumberCriterion(QStringView typed) {
    return u"Numero = "_s + core::plainForm(core::Val(core::Trim(typed)));
}

} // namespace data
