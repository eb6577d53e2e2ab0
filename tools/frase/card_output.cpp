#include "frase/card_output.h"

#include "platform/card/card_module.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/new_files.h"
#include "platform/core/standard_streams.h"
#include "platform/core/system_errors.h"

#include <cerrno>
#include <cstdio>
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
    if (wanted)
        m_module.emplace(programDirectory, card::moduleFileName);
}

std::unique_ptr<QCoreApplication> CardModule::application(int& argc, char** argv) const {
    if (m_module)
        if (const auto make = m_module->entry<card::MakeApplication>(card::makeApplicationName))
            return std::unique_ptr<QCoreApplication>(make(argv));
    return std::make_unique<QCoreApplication>(argc, argv);
}

QByteArray CardModule::draw(const card::CardContent& content, QSize size) const {
    const auto draw = m_module ? m_module->entry<card::Draw>(card::drawName) : nullptr;
    if (draw == nullptr)
        core::failCommand(u"os cartões não puderam ser feitos: %1."_s.arg(
            m_module ? m_module->failure() : u"o módulo dos cartões não foi pedido"_s));
    QByteArray png;
    if (!draw(&content, size, &png))
        core::failCommand(card::tooLongForCard(size) +
                          u"; peça um cartão mais alto com --tamanho."_s);
    return png;
}

} // namespace frase
