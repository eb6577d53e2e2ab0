#pragma once

#include "platform/toolkit/form.h"

#include <QString>

namespace windows {

// The About window: the version, who drew and who wrote the program, and links that open their
// pages or a new e-mail to them.
class FrmSobre final : public toolkit::Form {
public:
    static const toolkit::FormLayout layout;

    FrmSobre();

private:
    void Command1_Click();
    void Label1_Click();
    void Label2_Click();
    void Label6_Click();
    void Label9_Click();

    // The link's target opens in the desktop's own program; when it cannot, now or once the
    // launcher has ended, the user is told and the program goes on.
    void open(const QString& commandLine, const QString& address);

    toolkit::CommandButton& Command1;
    toolkit::Label& Label1;
    toolkit::Label& Label2;
    toolkit::Label& Label6;
    toolkit::Label& Label9;
};

} // namespace windows
