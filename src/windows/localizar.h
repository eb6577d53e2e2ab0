#pragma once

#include "platform/toolkit/form.h"

#include <QString>
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

} // namespace windows
