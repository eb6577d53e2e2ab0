#pragma once

#include "platform/toolkit/program.h"
#include "platform/toolkit/qt_services.h"

#include <QTemporaryDir>
#include <string>
#include <vector>

namespace windows {
class frmPrincipal;
}

namespace bench {

// The real main window on a program directory of its own: `messages` as the first collection,
// one message as the second, the default options. Its timer is off, so that only the benchmark
// changes what it shows. A QApplication must exist already; whatever keeps the window from
// starting ends the benchmark program, which `program` names in the message.
class MainWindowRun {
public:
    MainWindowRun(const char* program, const std::vector<std::string>& messages);

    windows::frmPrincipal& window() { return *m_window; }

private:
    [[noreturn]] void abandon(const char* why) const;
    void writeFiles(const std::vector<std::string>& messages) const;

    const char* m_name;
    QTemporaryDir m_directory;
    toolkit::QtServices m_services;
    toolkit::Program m_program;
    windows::frmPrincipal* m_window = nullptr;
};

} // namespace bench
