#pragma once

#include <QByteArray>

namespace colecoes {

// A file made under a temporary name beside its final place, with its journal: both are removed
// when this goes away before keep(), and also when SIGTERM, SIGINT or SIGHUP ends the run, so a
// stopped build leaves nothing behind. Only one may exist at a time.
class TemporaryName {
public:
    TemporaryName() = default;
    ~TemporaryName();
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    // Creates the file from `pattern`, ending in XXXXXX as mkstemp takes it; false with errno
    // set when it cannot.
    bool create(const QByteArray& pattern);
    const QByteArray& path() const { return m_path; }
    // The file now has its final name: there is nothing left to remove.
    void keep();

private:
    QByteArray m_path;
};

} // namespace colecoes
