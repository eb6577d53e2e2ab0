#include "data/fortune.h"

#include "data/collections.h"
#include "platform/core/file_names.h"
#include "platform/core/system_errors.h"
#include "platform/core/text_fold.h"

#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>

namespace data {

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

// Lines cut out of large blocks of the source: one read per block rather than per line, and
// never a whole source in memory.
class LineSplitter {
public:
    explicit LineSplitter(QIODevice& source) : m_source(source) {}

    // The next line, its end included, but never more than `most` bytes of it: false at the end
    // or when the source fails (failed()). The line lasts until the next call.
    bool next(std::size_t most, std::string_view& line) {
        while (true) {
            const std::size_t available = m_buffer.size() - m_start;
            const std::size_t end = m_buffer.find('\n', m_start);
            if (end != std::string::npos && end - m_start < most)
                return take(end + 1 - m_start, line);
            if (available >= most || (m_atEnd && available > 0))
                return take(std::min(available, most), line);
            if (m_atEnd)
                return false;
            refill();
        }
    }

    bool failed() const { return m_failed; }

private:
    bool take(std::size_t size, std::string_view& line) {
        line = std::string_view(m_buffer).substr(m_start, size);
        m_start += size;
        return true;
    }

    void refill() {
        constexpr qint64 blockSize = 64 * 1024;
        m_buffer.erase(0, m_start);
        m_start = 0;
        const std::size_t kept = m_buffer.size();
        m_buffer.resize(kept + blockSize);
        const qint64 read = m_source.read(m_buffer.data() + kept, blockSize);
        m_buffer.resize(kept + static_cast<std::size_t>(std::max<qint64>(read, 0)));
        m_failed = read < 0;
        m_atEnd = read <= 0;
    }

    QIODevice& m_source;
    std::string m_buffer;
    std::size_t m_start = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

// Called on every line: most lines are told apart by their first character that is not blank.
bool isSeparator(std::string_view line) {
    std::size_t pos = 0;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return pos < line.size() && line[pos] == '%' && trimmedAscii(line) == "%";
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
    m_emptyEntries = 0;
    const int countBefore = m_count;
    const bool failedBefore = failed();
    LineSplitter lines(source);
    std::string_view line;
    while (true) {
        // Never more than one byte past the limit, so one endless line cannot fill memory.
        const qint64 left = largestSourceBytes - m_bytesRead;
        errno = 0;
        if (!lines.next(static_cast<std::size_t>(std::max<qint64>(left, 0)) + 1, line)) {
            if (lines.failed())
                error(QStringLiteral("não foi possível ler o arquivo: %1")
                          .arg(core::systemErrorText(errno ? errno : EIO)));
            break;
        }
        if (static_cast<qint64>(line.size()) > left) {
            error(sourcesTooLarge(-1));
            break;
        }
        m_bytesRead += static_cast<qint64>(line.size());
        ++m_line;
        if (line.ends_with('\n'))
            line.remove_suffix(1);
        if (m_line == 1 && encoding == Encoding::Utf8 && line.starts_with(byteOrderMark))
            line.remove_prefix(byteOrderMark.size());
        readLine(line);
    }
    endMessage(false);
    if (m_emptyEntries > 0)
        m_warnings.push_back(
            {m_name, m_firstEmptyLine,
             QStringLiteral("%1 mensagem(ns) vazia(s) ignorada(s) (um \"%\" sem texto antes dele), "
                            "a primeira terminando nesta linha")
                 .arg(m_emptyEntries)});
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
    const std::string_view text = decoded.text();
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
        // Blank lines after the last separator simply end the file; a separator with no text
        // before it is an empty entry, which fortune files have and which shows nothing.
        if (atSeparator && m_emptyEntries++ == 0)
            m_firstEmptyLine = m_line;
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

bool isStrfileIndex(const QString& path) {
    return path.endsWith(QLatin1StringView(".dat")) || path.endsWith(QLatin1StringView(".u8"));
}

QStringList fortuneFilesIn(const QString& folder, int* indexesLeftOut) {
    // By the bytes of the names, so that any name can be read and the order is `ls`'s in C.
    const QByteArray folderBytes = core::bytesOfFileName(folder);
    std::vector<QByteArray> names;
    if (DIR* listing = ::opendir(folderBytes.constData())) {
        while (const dirent* entry = ::readdir(listing))
            names.emplace_back(entry->d_name);
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    QStringList files;
    int indexes = 0;
    for (const QByteArray& name : names) {
        const QByteArray path =
            (folderBytes.endsWith('/') ? folderBytes : folderBytes + '/') + name;
        struct stat info {};
        if (name.startsWith('.') || ::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (isStrfileIndex(QString::fromLatin1(name)))
            ++indexes;
        else
            files << core::fileNameFromBytes(path);
    }
    if (indexesLeftOut)
        *indexesLeftOut = indexes;
    return files;
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

} // namespace data
