#pragma once

#include "platform/toolkit/form.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace windows {

// The Find window: turns a keyword or a message number into a criterion and asks the main
// window to show the first message that meets it, closing itself when one does.
class FrmLocalizar final : public toolkit::Form {
public:
    static const toolkit::FormLayout layout;

    FrmLocalizar();

private:
    void cmdLoc_Click();
    void FrmLocCancel_Click();

    // The criterion for what the boxes hold, or nothing when there is nothing to search for.
    std::optional<QString> criterionFromBoxes();

    toolkit::TextBox& Text1;
    toolkit::TextBox& Text2;
    toolkit::CommandButton& cmdLoc;
    toolkit::CommandButton& FrmLocCancel;
};

// Mensagem Like "* keyword *": the keyword with a blank on each side of it, its pattern
// characters keeping their meaning. A double quote in it is doubled, so it is looked for
// literally instead of closing the pattern.
QString keywordCriterion(QStringView keyword);

// Numero = the number the text spells, written with "." as the decimal point whatever the
// locale. The text must pass IsNumeric.
QString typedNumberCriterion(QStringView typed);

} // namespace windows
