#include "frase/program_module.h"

#include "platform/core/file_names.h"

#include <dlfcn.h>

namespace frase {

namespace {

QString lastLoaderError() {
    const char* reason = ::dlerror();
    return QString::fromLocal8Bit(reason ? reason : "");
}

} // namespace

ProgramModule::ProgramModule(const QString& programDirectory, const char* fileName)
    : m_path(programDirectory + u'/' + QString::fromUtf8(fileName)) {
    m_handle = ::dlopen(core::bytesOfFileName(m_path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr)
        m_failure = QStringLiteral("não foi possível carregar %1 (%2)")
                        .arg(core::displayable(m_path), lastLoaderError());
}

void* ProgramModule::symbol(const char* name) const {
    if (m_handle == nullptr)
        return nullptr;
    void* found = ::dlsym(m_handle, name);
    if (found == nullptr)
        m_failure = QStringLiteral("%1 não tem a parte \"%2\" (%3)")
                        .arg(core::displayable(m_path), QString::fromUtf8(name), lastLoaderError());
    return found;
}

} // namespace frase
