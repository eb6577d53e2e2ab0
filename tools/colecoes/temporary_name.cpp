#include "colecoes/temporary_name.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace colecoes {

namespace {

constexpr std::array stoppingSignals{SIGTERM, SIGINT, SIGHUP};
constexpr char journalSuffix[] = "-journal";

// A signal handler may only use what was prepared before it ran, so the names to remove wait
// here, in storage of their own, spelled out in full.
struct PendingRemoval {
    char file[PATH_MAX];
    char journal[PATH_MAX + sizeof journalSuffix];
    volatile std::sig_atomic_t armed;
};
PendingRemoval pending;

void removeAndStop(int signal) {
    if (pending.armed) {
        ::unlink(pending.file);
        ::unlink(pending.journal);
    }
    // Ends the run the way the signal would have, so that whoever sent it sees it did.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A signal the user had ignored (nohup) stays ignored.
void handleStoppingSignals() {
    for (const int signal : stoppingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = removeAndStop;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
}

// Signals wait while the names change, so that the handler never sees half a name.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : stoppingSignals)
            sigaddset(&held, signal);
        ::sigprocmask(SIG_BLOCK, &held, &m_before);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_before;
};

} // namespace

TemporaryName::~TemporaryName() {
    if (m_path.isEmpty())
        return;
    ::unlink(m_path.constData());
    ::unlink((m_path + journalSuffix).constData());
    keep();
}

bool TemporaryName::create(const QByteArray& pattern) {
    if (pattern.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    handleStoppingSignals();
    SignalsHeld held;
    QByteArray path = pattern;
    const int descriptor = ::mkostemp(path.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    m_path = path;
    std::memcpy(pending.file, path.constData(), path.size() + 1);
    std::memcpy(pending.journal, path.constData(), path.size());
    std::memcpy(pending.journal + path.size(), journalSuffix, sizeof journalSuffix);
    pending.armed = 1;
    return true;
}

void TemporaryName::keep() {
    SignalsHeld held;
    pending.armed = 0;
    m_path.clear();
}

} // namespace colecoes
