#pragma once

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <string_view>

// What a command-line program needs to never die by a signal or lose output unnoticed: a reader
// that goes away, a full disk or a closed stream is an error it reports, not a crash.
namespace core {

// Call first thing in main: a write to a closed pipe returns an error instead of raising
// SIGPIPE, and a closed standard stream gets a stand-in on which writes fail (for stdout) or
// vanish (for stderr), so that no file the program opens later takes its number and receives
// what was meant for the terminal. The toolkit's notes for developers are kept off stderr.
void protectStandardStreams();

// Writes to a stream and remembers the first failure, so that every write can be checked in one
// place at the end.
class CheckedOutput {
public:
    explicit CheckedOutput(std::FILE* stream) : m_stream(stream) {}

    void write(std::string_view bytes);
    void write(const QString& text);
    // Flushes; true when every byte reached the stream's file.
    bool finish();
    // The reader went away (a pipe closed on the other side).
    bool readerGone() const { return m_error == EPIPE; }
    // Why a write failed, in words for the user.
    QString failure() const;

private:
    std::FILE* m_stream;
    int m_error = 0;
};

} // namespace core
