#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace colecoes {

struct SourceMessage {
    QString text; // lines joined with "\n", without the blank lines around them
    int firstLine = 0;
};

struct SourceError {
    int line = 0;
    QString reason;
};

struct ParsedSource {
    std::vector<SourceMessage> messages;
    std::vector<SourceError> errors;
};

// Reads a text in the fortune format: messages separated by lines holding only "%", in UTF-8
// with LF or CRLF line ends. Reports an empty message, invalid UTF-8, more messages than a
// collection can hold and a source without any message, each with its line.
ParsedSource parseFortune(const QByteArray& source, int largestCount);

// The reverse: the messages in the fortune format, LF line ends.
QByteArray writeFortune(const std::vector<QString>& messages);

} // namespace colecoes
