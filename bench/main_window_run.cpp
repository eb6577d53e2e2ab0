#include "main_window_run.h"

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "data/options.h"
#include "sample_collection.h"
#include "windows/principal.h"

#include <cstdio>
#include <cstdlib>

namespace bench {

MainWindowRun::MainWindowRun(const char* program, const std::vector<std::string>& messages)
    : m_name(program), m_program(m_services, m_directory.path()) {
    if (!m_directory.isValid())
        abandon("no temporary directory");
    writeFiles(messages);
    if (!m_program.start<windows::frmPrincipal>())
        abandon("the main window did not start");
    m_window = m_program.loadedForm<windows::frmPrincipal>();
    m_window->timer(u"tmpTimer").setEnabled(false);
}

void MainWindowRun::abandon(const char* why) const {
    std::fprintf(stderr, "%s: %s\n", m_name, why);
    std::exit(EXIT_FAILURE);
}

void MainWindowRun::writeFiles(const std::vector<std::string>& messages) const {
    const QString directory = m_directory.path();
    writeCollection(directory, data::quelmarCollection, messages);
    writeCollection(directory, data::tarvenasCollection, {"Uma só mensagem."});
    if (!colecoes::createOptions(data::optionsPath(directory)).isEmpty())
        abandon("the options file could not be written");
}

} // namespace bench
