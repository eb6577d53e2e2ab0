#pragma once

#include "data/encoding.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// The text format of the collections, which is that of fortune files: messages separated by lines
// holding only "%" (blanks around it allowed), LF or CRLF line ends, blank lines around a message
// ignored, an entry with no text in it (two separators in a row, a separator first) skipped. A line
// that begins with "%\" is a protected line: the rest of it is the line's text, in which "\\" is a
// backslash, "\r" a carriage return and "\xHH" the byte of hexadecimal value HH. Writing
// protects only the lines that would otherwise be read back differently, so that every text
// comes back byte for byte while ordinary messages stay plain.
namespace data {

// The most a collection's sources may hold together. The program keeps a collection's texts in
// memory, folded for the accent-blind search; 32767 messages of 1000 bytes fit within it.
inline constexpr qint64 largestSourceBytes = 32 * 1024 * 1024;

// Why sources of `bytes` bytes together are refused; a negative size when it is only known that
// they hold more than the limit.
QString sourcesTooLarge(qint64 bytes);

struct SourceError {
    QString source;
    int line = 0;
    QString reason;
};

// Reads sources one after another, handing over each message (its text in UTF-8, except for the
// bytes a protected line spells) as soon as it ends, so that a source is never held whole. A
// message beyond the most a collection holds is an error.
class SourceReader {
public:
    using MessageSink = std::function<void(std::string_view text)>;

    explicit SourceReader(MessageSink sink) : m_sink(std::move(sink)) {}

    // `name` is how errors name the source. Stops at the size limit of all sources together.
    void read(QIODevice& source, const QString& name, Encoding encoding);

    // The first errors found; after so many the rest are only counted.
    const std::vector<SourceError>& errors() const { return m_errors; }
    // What was read past without failing: one warning per source with empty entries, at the first.
    const std::vector<SourceError>& warnings() const { return m_warnings; }
    int errorsLeftOut() const { return m_errorsLeftOut; }
    bool failed() const { return !m_errors.empty(); }
    int messageCount() const { return m_count; }

private:
    void readLine(std::string_view bytes);
    void addLine(std::string_view text, bool blank);
    void endMessage(bool atSeparator);
    void error(const QString& reason) { errorAt(m_line, reason); }
    void lineError(const QString& reason);
    void errorAt(int line, const QString& reason);

    MessageSink m_sink;
    std::vector<SourceError> m_errors;
    std::vector<SourceError> m_warnings;
    int m_errorsLeftOut = 0;
    qint64 m_bytesRead = 0;
    int m_count = 0;
    bool m_tooMany = false;

    // The source being read.
    QString m_name;
    Encoding m_encoding = Encoding::Utf8;
    int m_line = 0;
    int m_emptyEntries = 0;
    int m_firstEmptyLine = 0;

    // The message being read: its text so far, and blank lines that belong to it only if a line
    // with text follows them.
    std::string m_message;
    bool m_started = false;
    int m_messageLine = 0;
    std::vector<std::string> m_blankLines;
};

// The fortune text files of a folder, in name order (bytes, as `ls` sorts with LC_ALL=C): not
// hidden, not strfile's indexes (.dat, .u8), not sub-folders; how many indexes were left out in
// `indexesLeftOut` when given.
QStringList fortuneFilesIn(const QString& folder, int* indexesLeftOut = nullptr);
bool isStrfileIndex(const QString& path);

// One message in the text format, its separator line included.
void appendMessage(std::string& out, std::string_view text);

// Whether the message is read back as it is only through protected lines.
bool needsProtectedLines(std::string_view text);

} // namespace data
