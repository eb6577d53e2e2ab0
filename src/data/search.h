#pragma once

#include <QString>
#include <QStringView>

// The criteria a search of the collections is made of, shared by the Find window and the
// command line, so that a word finds the same messages in both.
namespace data {

// Mensagem Like "* keyword *": the keyword with a blank on each side of it, its pattern
// characters keeping their meaning. A double quote in it is doubled, so it is looked for
// literally instead of closing the pattern.
QString keywordCriterion(QStringView keyword);

// Numero = the number the text spells, written with "." as the decimal point whatever the
// locale. The text must pass IsNumeric.
QString typedNumberCriterion(QStringView typed);

} // namespace data
