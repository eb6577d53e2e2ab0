#include "windows/module1.h"

#include "platform/toolkit/program.h"

namespace windows {

Module1& module1() {
    return toolkit::Program::instance().global<Module1>();
}

} // namespace windows
