#include "platform/core/standard_streams.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace core {

namespace {

void standIn(int descriptor, int flags) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
        return;
    const int opened = open("/dev/null", flags | O_CLOEXEC);
    if (opened >= 0 && opened != descriptor) {
        dup2(opened, descriptor);
        close(opened);
    }
}

} // namespace

void protectStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
    standIn(STDIN_FILENO, O_RDONLY);
    // Read-only: writing to it fails, so a closed stdout is reported rather than ignored.
    standIn(STDOUT_FILENO, O_RDONLY);
    standIn(STDERR_FILENO, O_WRONLY);
}

void CheckedOutput::write(std::string_view bytes) {
    if (m_error != 0 || bytes.empty())
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size())
        m_error = errno != 0 ? errno : EIO;
}

void CheckedOutput::write(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    write(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

bool CheckedOutput::finish() {
    errno = 0;
    if (std::fflush(m_stream) != 0 && m_error == 0)
        m_error = errno != 0 ? errno : EIO;
    if (std::ferror(m_stream) && m_error == 0)
        m_error = EIO;
    return m_error == 0;
}

QString CheckedOutput::failure() const {
    switch (m_error) {
    case EPIPE:
        return QStringLiteral("quem lia a saída deixou de ler (o outro lado foi fechado)");
    case ENOSPC:
        return QStringLiteral("o disco está cheio");
    case EBADF:
        return QStringLiteral("a saída está fechada");
    case EDQUOT:
        return QStringLiteral("a cota de disco acabou");
    case EIO:
        return QStringLiteral("erro de leitura ou gravação no disco");
    default:
        return QString::fromLocal8Bit(std::strerror(m_error));
    }
}

} // namespace core
