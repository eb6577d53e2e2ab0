#include "platform/core/text_fold.h"

#include <QChar>
#include <QList>
#include <QString>
#include <array>
#include <unordered_map>

namespace core::text {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The folded form of one non-ASCII code point. Decomposition, mark removal and case folding
// all work code point by code point here, so a per-code-point cache gives the same result as
// folding the whole text, at a fraction of the cost.
const std::string& computeFoldedCodePoint(char32_t codePoint) {
    thread_local std::unordered_map<char32_t, std::string> cache;
    const auto found = cache.find(codePoint);
    if (found != cache.end())
        return found->second;
    const QString decomposed =
        QString::fromUcs4(&codePoint, 1).normalized(QString::NormalizationForm_D);
    QString kept;
    for (const uint part : decomposed.toUcs4())
        if (!QChar::isMark(part))
            kept += QString::fromUcs4(reinterpret_cast<const char32_t*>(&part), 1);
    const QByteArray utf8 = kept.toCaseFolded().toUtf8();
    return cache.emplace(codePoint, std::string(utf8.constData(), utf8.size())).first->second;
}

// Code points of two UTF-8 bytes (accented Latin letters among them) are looked up directly;
// the entries point into the cache, whose elements never move.
const std::string& foldedCodePoint(char32_t codePoint) {
    constexpr char32_t directRange = 0x800;
    thread_local std::array<const std::string*, directRange> direct{};
    if (codePoint >= directRange)
        return computeFoldedCodePoint(codePoint);
    if (direct[codePoint] == nullptr)
        direct[codePoint] = &computeFoldedCodePoint(codePoint);
    return *direct[codePoint];
}

} // namespace

char32_t decodeUtf8(std::string_view utf8, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return replacementCharacter;
    }
    if (pos + length > utf8.size()) {
        ++pos;
        return replacementCharacter;
    }
    for (int i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[pos + i]);
        if (!isContinuation(byte)) {
            ++pos;
            return replacementCharacter;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++pos;
        return replacementCharacter;
    }
    pos += length;
    return codePoint;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool isValidUtf8(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        if (decodeUtf8(utf8, pos) == replacementCharacter &&
            utf8.substr(start, pos - start) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

std::string fold(std::string_view utf8) {
    std::string out;
    foldInto(utf8, out);
    return out;
}

void foldInto(std::string_view utf8, std::string& out) {
    out.reserve(out.size() + utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        out += foldedCodePoint(decodeUtf8(utf8, pos));
    }
}

std::string fold(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    return fold(std::string_view(utf8.constData(), utf8.size()));
}

} // namespace core::text
