#include "main_window_run.h"

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "sample_collection.h"
#include "windows/principal.h"

#include <QDir>
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
    for (const auto& [source, texts] :
         {std::pair{&data::quelmarCollection, messages},
          std::pair{&data::tarvenasCollection, std::vector<std::string>{"Uma só mensagem."}}})
        writeCollection(data::collectionPath(directory, *source), QString::fromUtf16(source->table),
                        texts);
    if (!colecoes::createOptions(QDir(directory).filePath(QStringLiteral("opcoes"))).isEmpty())
        abandon("the options file could not be written");
}

} // namespace bench
