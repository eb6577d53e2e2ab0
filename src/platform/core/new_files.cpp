#include "platform/core/new_files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

constexpr char temporaryWord[] = ".temporario-";
constexpr int temporaryLetters = 6;
constexpr time_t staleAfterSeconds = 60;

int writeAll(int descriptor, QByteArrayView contents) {
    qsizetype done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(descriptor, contents.data() + done,
                                        static_cast<size_t>(contents.size() - done));
        if (written < 0 && errno != EINTR)
            return errno;
        if (written > 0)
            done += written;
    }
    return ::fsync(descriptor) == 0 ? 0 : errno;
}

int linkWithoutReplacing(const QByteArray& temporary, const QByteArray& target) {
    if (::link(temporary.constData(), target.constData()) == 0)
        return 0;
    // Some filesystems have no hard links but can still rename without replacing.
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(),
                    RENAME_NOREPLACE) == 0)
        return 0;
    return errno;
}

// The name without its suffix when it is one of the temporary names, else empty.
QByteArray temporaryStem(QByteArrayView name, QByteArrayView prefix,
                         std::initializer_list<QByteArrayView> suffixes) {
    const qsizetype stemLength = prefix.size() + temporaryLetters;
    if (!name.startsWith(prefix) || name.size() < stemLength)
        return {};
    for (const char c : name.sliced(prefix.size(), temporaryLetters))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return {};
    for (const QByteArrayView suffix : suffixes)
        if (name.sliced(stemLength) == suffix)
            return name.first(stemLength).toByteArray();
    return {};
}

// A run still writing the database under that name keeps a lock on it.
bool lockedByAnyone(int folder, const QByteArray& name) {
    const int descriptor =
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = ::fcntl(descriptor, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(descriptor);
    return locked;
}

bool isStale(int folder, const char* name) {
    struct stat info {};
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
           info.st_uid == ::geteuid() && ::time(nullptr) - info.st_mtime > staleAfterSeconds;
}

} // namespace

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QByteArray temporaryPattern(const QByteArray& name) {
    return name + temporaryWord + QByteArray(temporaryLetters, 'X');
}

int createWithoutReplacing(const QByteArray& target, QByteArrayView contents, mode_t mode) {
    QByteArray temporary = temporaryPattern(target);
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    int error = ::fchmod(descriptor, mode) == 0 ? writeAll(descriptor, contents) : errno;
    ::close(descriptor);
    if (error == 0)
        error = linkWithoutReplacing(temporary, target);
    ::unlink(temporary.constData());
    return error;
}

void removeStaleTemporaries(const QByteArray& folder, const QByteArray& name,
                            std::initializer_list<QByteArrayView> suffixes) {
    const QByteArray prefix = name + temporaryWord;
    DIR* listing = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!listing)
        return;
    const int descriptor = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray stem = temporaryStem(entry->d_name, prefix, suffixes);
        if (!stem.isEmpty() && isStale(descriptor, entry->d_name) &&
            !lockedByAnyone(descriptor, stem))
            ::unlinkat(descriptor, entry->d_name, 0);
    }
    ::closedir(listing);
}

} // namespace core
