#pragma once

#include "platform/toolkit/form.h"

#include <cstdint>

namespace windows {

// The Options window: the collection to start with and the message timer. "Ok" stores the
// choices and sets the main window's timer at once; the start-up collection waits for the next
// start.
class FrmOpçoes final : public toolkit::Form {
public:
    static const toolkit::FormLayout layout;

    FrmOpçoes();

    void Form_Load() override;

private:
    void UpDown1_Change();
    void cmdOKop_Click();
    void cmdOpCancela_Click();

    // The timer's period and state before "Ok", to put back if the choices cannot be stored.
    struct TimerSetting {
        std::int32_t interval = 0;
        bool enabled = false;
    };
    void storeAndApply(toolkit::Timer& timer);
    void reportFailedWrite(const QString& reason);

    toolkit::OptionButton& Option1;
    toolkit::OptionButton& Option2;
    toolkit::CheckBox& Check1;
    toolkit::TextBox& Text1;
    toolkit::UpDown& UpDown1;
    toolkit::CommandButton& cmdOKop;
    toolkit::CommandButton& cmdOpCancela;
};

} // namespace windows
