#include "platform/core/standard_streams.h"

#include "platform/core/system_errors.h"

#include <QtGlobal>
#include <cerrno>
#include <csignal>
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

// The toolkit's own notes ("QFSFileEngine::open: No file name specified") are English words
// for its developers; a command reports its failures itself, in the user's words.
void keepToolkitNotesFromUsers(QtMsgType type, const QMessageLogContext&, const QString& note) {
    if (type == QtFatalMsg)
        std::fputs((note + u'\n').toLocal8Bit().constData(), stderr);
}

} // namespace

void protectStandardStreams() {
    qInstallMessageHandler(keepToolkitNotesFromUsers);
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
    return m_error == EBADF ? QStringLiteral("a saída está fechada") : systemErrorText(m_error);
}

} // namespace core
