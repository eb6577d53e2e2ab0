#include "platform/core/file_names.h"

#include "platform/core/text_fold.h"

#include <QChar>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

constexpr char16_t firstKeptByte = 0xDC80;
constexpr char16_t lastKeptByte = 0xDCFF;

bool isKeptByte(QStringView text, qsizetype i) {
    const char16_t unit = text[i].unicode();
    const bool afterHighSurrogate = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
    return unit >= firstKeptByte && unit <= lastKeptByte && !afterHighSurrogate;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    const std::string_view utf8(bytes.data(), static_cast<std::size_t>(bytes.size()));
    QString name;
    name.reserve(bytes.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::size_t start = at;
        const char32_t codePoint = text::decodeUtf8(utf8, at);
        // A byte that is not part of valid UTF-8 reads as U+FFFD, one byte long.
        if (codePoint == text::replacementCharacter && at - start == 1)
            name += QChar(char16_t(0xDC00 | static_cast<unsigned char>(utf8[start])));
        else
            name += QChar::fromUcs4(codePoint);
    }
    return name;
}

QByteArray bytesOfFileName(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isKeptByte(name, i))
            continue;
        bytes += name.sliced(runStart, i - runStart).toUtf8();
        bytes += static_cast<char>(name[i].unicode() & 0xFF);
        runStart = i + 1;
    }
    bytes += name.sliced(runStart).toUtf8();
    return bytes;
}

QString displayable(QStringView text) {
    QString shown = text.toString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isKeptByte(text, i))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QString linkTarget(const QByteArray& link) {
    // The target as the system holds it; a path may be as long as the system allows.
    QByteArray target(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink(link.constData(), target.data(), target.size());
        if (length < 0)
            return {};
        if (length < target.size())
            return fileNameFromBytes(target.first(length));
        target.resize(target.size() * 2);
    }
}

QString runningProgramDirectory() {
    const QString target = linkTarget(QByteArrayLiteral("/proc/self/exe"));
    if (target.isEmpty())
        return {};
    const qsizetype slash = target.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : target.first(slash);
}

int openWithoutWaiting(const char* name, int flags, int mode) {
    const int descriptor = ::open(name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (descriptor < 0)
        return -1;
    struct stat opened {};
    const bool plain =
        ::fstat(descriptor, &opened) == 0 && (S_ISREG(opened.st_mode) || S_ISDIR(opened.st_mode));
    if (!plain || ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        errno = ENXIO;
        return -1;
    }
    return descriptor;
}

} // namespace core
