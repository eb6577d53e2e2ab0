#pragma once

#include "platform/toolkit/form.h"

namespace windows {

// The page that "Imprimir" puts on paper: the title and the message on display, on white. It is
// never shown; once loaded it stays, hidden, until the program ends.
class FrmRel final : public toolkit::Form {
public:
    static const toolkit::FormLayout layout;

    FrmRel();

    toolkit::Label& LblText;
};

} // namespace windows
