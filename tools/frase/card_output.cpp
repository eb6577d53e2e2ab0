#include "frase/card_output.h"

#include "platform/card/card_module.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/new_files.h"
#include "platform/core/standard_streams.h"
#include "platform/core/system_errors.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace frase {

using namespace Qt::StringLiterals;

void writeReplacing(const QByteArray& png, const QString& file) {
    const QByteArray path = core::bytesOfFileName(file);
    const QString shown = u"\"%1\""_s.arg(core::displayable(file));
    struct stat existing {};
    mode_t mode = core::newFileMode();
    if (lstat(path.constData(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            core::failCommand(u"%1 não é um arquivo comum (uma pasta, um link ou um dispositivo) e "
                              u"não foi trocado pelo cartão."_s.arg(shown));
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        core::failCommand(
            u"não foi possível ver %1: %2."_s.arg(shown, core::systemErrorText(errno)));
    }
    QByteArray temporary = core::temporaryPattern(path);
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        core::failCommand(u"não foi possível gravar o cartão em %1: %2."_s.arg(
            shown, core::systemErrorText(errno)));
    std::FILE* stream = fdopen(descriptor, "wb");
    core::CheckedOutput out(stream);
    out.write(std::string_view(png.constData(), png.size()));
    const bool written = out.finish() && fchmod(descriptor, mode) == 0 && fsync(descriptor) == 0;
    const QString failure = written ? QString() : out.failure();
    std::fclose(stream);
    if (!written || rename(temporary.constData(), path.constData()) != 0) {
        const QString why = written ? core::systemErrorText(errno) : failure;
        unlink(temporary.constData());
        core::failCommand(u"não foi possível gravar o cartão em %1: %2."_s.arg(shown, why));
    }
}

CardModule::CardModule(bool wanted, const QString& programDirectory) {
    if (!wanted)
        return;
    const QString path = programDirectory + u'/' + QLatin1StringView(card::moduleFileName);
    m_module = dlopen(core::bytesOfFileName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_module == nullptr)
        m_missing = u"os cartões precisam de %1, que não pôde ser carregado: %2"_s.arg(
            core::displayable(path), QString::fromLocal8Bit(dlerror()));
}

std::unique_ptr<QCoreApplication> CardModule::application(int& argc, char** argv) const {
    if (m_module != nullptr)
        if (auto make =
                reinterpret_cast<card::MakeApplication>(dlsym(m_module, card::makeApplicationName)))
            return std::unique_ptr<QCoreApplication>(make(argv));
    return std::make_unique<QCoreApplication>(argc, argv);
}

QByteArray CardModule::draw(const card::CardContent& content, QSize size) const {
    const auto draw = m_module == nullptr
                          ? nullptr
                          : reinterpret_cast<card::Draw>(dlsym(m_module, card::drawName));
    if (draw == nullptr)
        core::failCommand(
            (m_missing.isEmpty() ? u"o módulo dos cartões não desenha"_s : m_missing) + u'.');
    QByteArray png;
    if (!draw(&content, size, &png))
        core::failCommand(card::tooLongForCard(size) +
                          u"; peça um cartão mais alto com --tamanho."_s);
    return png;
}

} // namespace frase
