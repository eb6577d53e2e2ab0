#include "colecoes/fortune.h"

#include "data/collections.h"
#include "platform/core/system_errors.h"
#include "platform/core/text_fold.h"

#include <QIODevice>
#include <cerrno>
#include <optional>

namespace colecoes {

namespace {

constexpr std::string_view protectedMarker = "%\\";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmedAscii(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// One line into `line`, its end included, but never more than `most` bytes of it: false when
// nothing could be read.
bool readLineUpTo(QIODevice& source, qint64 most, QByteArray& line) {
    constexpr qint64 chunkSize = 64 * 1024;
    char chunk[chunkSize];
    line.clear();
    while (line.size() < most && !line.endsWith('\n')) {
        // QIODevice keeps the last byte for a terminating zero.
        const qint64 read = source.readLine(chunk, std::min(chunkSize, most - line.size() + 1));
        if (read <= 0)
            break;
        line.append(chunk, read);
    }
    return !line.isEmpty();
}

bool isSeparator(std::string_view line) {
    return trimmedAscii(line) == "%";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The text a protected line spells, or nothing when an escape in it is not one of the three.
std::optional<std::string> unprotect(std::string_view escaped) {
    std::string text;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\') {
            text += escaped[i];
            continue;
        }
        const char kind = i + 1 < escaped.size() ? escaped[i + 1] : '\0';
        if (kind == '\\' || kind == 'r') {
            text += kind == 'r' ? '\r' : '\\';
            ++i;
        } else if (kind == 'x' && i + 3 < escaped.size() && hexDigit(escaped[i + 2]) >= 0 &&
                   hexDigit(escaped[i + 3]) >= 0) {
            text += static_cast<char>(hexDigit(escaped[i + 2]) * 16 + hexDigit(escaped[i + 3]));
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return text;
}

// Would the line, written plainly at that place in its message, be read back differently?
bool needsProtection(std::string_view line, bool atEdge) {
    return isSeparator(line) || line.starts_with(protectedMarker) || line.ends_with('\r') ||
           line.starts_with(byteOrderMark) || (atEdge && trimmedAscii(line).empty()) ||
           !core::text::isValidUtf8(line);
}

void appendHexByte(std::string& out, unsigned char byte) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

// Backslashes, carriage returns, a leading byte-order mark and every byte that is not part of a
// valid UTF-8 sequence are escaped; the rest is copied.
void appendProtected(std::string& out, std::string_view line) {
    out += protectedMarker;
    std::size_t pos = 0;
    if (line.starts_with(byteOrderMark)) {
        for (const char byte : byteOrderMark)
            appendHexByte(out, static_cast<unsigned char>(byte));
        pos = byteOrderMark.size();
    }
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == '\\' || c == '\r') {
            out += c == '\\' ? "\\\\" : "\\r";
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        core::text::decodeUtf8(line, pos);
        const std::string_view sequence = line.substr(start, pos - start);
        if (core::text::isValidUtf8(sequence))
            out += sequence;
        else
            appendHexByte(out, static_cast<unsigned char>(c));
    }
}

} // namespace

void SourceReader::read(QIODevice& source, const QString& name, Encoding encoding) {
    m_name = name;
    m_encoding = encoding;
    m_line = 0;
    const int countBefore = m_count;
    const bool failedBefore = failed();
    QByteArray bytes;
    while (!source.atEnd()) {
        // Never more than one byte past the limit, so one endless line cannot fill memory.
        const qint64 left = largestSourceBytes - m_bytesRead;
        errno = 0;
        if (left > 0 && !readLineUpTo(source, left + 1, bytes)) {
            error(QStringLiteral("não foi possível ler o arquivo: %1")
                      .arg(core::systemErrorText(errno ? errno : EIO)));
            break;
        }
        if (left <= 0 || bytes.size() > left) {
            error(sourcesTooLarge(-1));
            break;
        }
        m_bytesRead += bytes.size();
        ++m_line;
        std::string_view line(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (line.ends_with('\n'))
            line.remove_suffix(1);
        if (m_line == 1 && encoding == Encoding::Utf8 && line.starts_with(byteOrderMark))
            line.remove_prefix(byteOrderMark.size());
        readLine(line);
    }
    endMessage(false);
    if (m_count == countBefore && failed() == failedBefore)
        errorAt(1, QStringLiteral("o arquivo não tem nenhuma mensagem"));
}

void SourceReader::errorAt(int line, const QString& reason) {
    constexpr std::size_t listedErrors = 100;
    if (m_errors.size() < listedErrors)
        m_errors.push_back({m_name, line, reason});
    else
        ++m_errorsLeftOut;
}

void SourceReader::readLine(std::string_view bytes) {
    if (bytes.ends_with('\r'))
        bytes.remove_suffix(1);
    const DecodedLine decoded = decodeLine(bytes, m_encoding);
    if (!decoded.error.isEmpty())
        return lineError(decoded.error);
    const std::string_view text = decoded.utf8;
    if (isSeparator(text))
        return endMessage(true);
    if (!text.starts_with(protectedMarker))
        return addLine(text, trimmedAscii(text).empty());
    const std::optional<std::string> unprotected = unprotect(text.substr(protectedMarker.size()));
    if (!unprotected)
        return lineError(QStringLiteral("linha protegida (começa com \"%\\\") com um escape "
                                        "inválido: use \\\\, \\r ou \\xHH"));
    addLine(*unprotected, false);
}

// The line is still part of a message, so the separator after it is no second fault.
void SourceReader::lineError(const QString& reason) {
    error(reason);
    if (!m_started)
        m_messageLine = m_line;
    m_started = true;
}

void SourceReader::addLine(std::string_view text, bool blank) {
    if (blank) {
        // Blank lines before a message's first text are not part of it.
        if (m_started)
            m_blankLines.emplace_back(text);
        return;
    }
    if (m_started)
        m_message += '\n';
    else
        m_messageLine = m_line;
    m_started = true;
    for (const std::string& line : m_blankLines) {
        m_message += line;
        m_message += '\n';
    }
    m_blankLines.clear();
    m_message += text;
}

void SourceReader::endMessage(bool atSeparator) {
    m_blankLines.clear();
    if (!m_started) {
        // Blank lines after the last separator simply end the file.
        if (atSeparator)
            error(QStringLiteral("mensagem vazia antes deste separador"));
        return;
    }
    if (m_count < data::largestCollection) {
        ++m_count;
        if (!failed())
            m_sink(m_message);
    } else if (!m_tooMany) {
        m_tooMany = true; // one report is enough; every later message is over too
        errorAt(
            m_messageLine,
            QStringLiteral("mensagem além do limite de %1 mensagens").arg(data::largestCollection));
    }
    m_message.clear();
    m_started = false;
}

namespace {

// Calls `line` with each line of the text and whether it is the first or the last.
template <typename LineVisitor> void forEachLine(std::string_view text, LineVisitor line) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        line(text.substr(start, end - start), start == 0 || end == text.size());
        if (end == text.size())
            return;
        start = end + 1;
    }
}

} // namespace

QString sourcesTooLarge(qint64 bytes) {
    const QString limit = QStringLiteral("%1 bytes (%2 MiB)")
                              .arg(largestSourceBytes)
                              .arg(largestSourceBytes / (1024 * 1024));
    const QString size = bytes < 0 ? QStringLiteral("as fontes passam dos %1").arg(limit)
                                   : QStringLiteral("as fontes têm %1 bytes juntas, mais do que "
                                                    "os %2")
                                         .arg(bytes)
                                         .arg(limit);
    return size + QStringLiteral(" que uma coleção aceita; divida-as em mais de uma coleção");
}

void appendMessage(std::string& out, std::string_view text) {
    forEachLine(text, [&out](std::string_view line, bool atEdge) {
        if (needsProtection(line, atEdge))
            appendProtected(out, line);
        else
            out += line;
        out += '\n';
    });
    out += "%\n";
}

bool needsProtectedLines(std::string_view text) {
    bool needed = false;
    forEachLine(text, [&needed](std::string_view line, bool atEdge) {
        needed = needed || needsProtection(line, atEdge);
    });
    return needed;
}

} // namespace colecoes
