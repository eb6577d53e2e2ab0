#include "platform/core/text_fold.h"

#include <QChar>
#include <QList>
#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core::text {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The folded form of one non-ASCII code point, and whether it is the code point's own UTF-8.
struct FoldedCodePoint {
    std::string bytes;
    bool unchanged = false;
};

// Decomposition, mark removal and case folding all work code point by code point here, so a
// per-code-point cache gives the same result as folding the whole text, at a fraction of the
// cost.
[[gnu::noinline]] const FoldedCodePoint& foldedCodePoint(char32_t codePoint) {
    thread_local std::unordered_map<char32_t, FoldedCodePoint> cache;
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
    FoldedCodePoint folded{std::string(utf8.constData(), utf8.size())};
    std::string own;
    appendUtf8(own, codePoint);
    folded.unchanged = own == folded.bytes;
    return cache.emplace(codePoint, std::move(folded)).first->second;
}

// Code points of two UTF-8 bytes (accented Latin letters among them, by far the most common
// here) are looked up in a table instead of the cache above, without hashing. Filled as code
// points are met. The folded bytes are kept when they take at most two, as nearly all do.
struct ShortFold {
    static constexpr char32_t range = 0x800;
    static constexpr std::uint8_t unknown = 0xFF;
    std::uint8_t length = unknown; // of the whole folded form
    bool unchanged = false;
    std::array<char, 2> bytes{};
    bool kept() const { return length <= bytes.size(); }
};

// Met once per code point and thread: kept out of line, away from the walk.
[[gnu::noinline]] ShortFold& fillShortFold(ShortFold& entry, char32_t codePoint) {
    const FoldedCodePoint& folded = foldedCodePoint(codePoint);
    entry.length = static_cast<std::uint8_t>(folded.bytes.size());
    entry.unchanged = folded.unchanged;
    if (entry.kept())
        std::memcpy(entry.bytes.data(), folded.bytes.data(), folded.bytes.size());
    return entry;
}

const ShortFold& shortFold(char32_t codePoint) {
    thread_local std::array<ShortFold, ShortFold::range> table{};
    ShortFold& entry = table[codePoint];
    if (entry.length == ShortFold::unknown) [[unlikely]]
        return fillShortFold(entry, codePoint);
    return entry;
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
        // Most text is ASCII, which is always valid: eight bytes at a time.
        std::uint64_t eight = 0;
        if (pos + 8 <= utf8.size() &&
            (std::memcpy(&eight, utf8.data() + pos, 8), (eight & 0x8080808080808080ULL) == 0)) {
            pos += 8;
            continue;
        }
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        if (decodeUtf8(utf8, pos) == replacementCharacter &&
            utf8.substr(start, pos - start) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

namespace {

// The ASCII bytes at the start of a block are folded and written whole (the bytes after them as
// well, which the caller overwrites: the room is there). Returns how many there were, and the
// capitals among them as bits. A block is the widest the processor compares at once.
#if defined(__SSE2__)
constexpr std::size_t blockBytes = 16;

int foldAsciiBlock(const char* from, char* to, std::uint32_t& capitals) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    // Bytes past 0x7F compare as negative, so they never count as capitals.
    const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('A' - 1)),
                                        _mm_cmplt_epi8(bytes, _mm_set1_epi8('Z' + 1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                     _mm_or_si128(bytes, _mm_and_si128(upper, _mm_set1_epi8('a' - 'A'))));
    const auto nonAscii = static_cast<std::uint32_t>(_mm_movemask_epi8(bytes));
    const int ascii = nonAscii == 0 ? int{blockBytes} : std::countr_zero(nonAscii);
    capitals = static_cast<std::uint32_t>(_mm_movemask_epi8(upper)) & ((1u << ascii) - 1);
    return ascii;
}
#else
constexpr std::size_t blockBytes = 8;

constexpr std::uint64_t everyByte(std::uint8_t byte) {
    return 0x0101010101010101ULL * byte;
}

// An ASCII byte never carries into the next: its sums stay below 0x100, and a carry out of a
// byte that is not ASCII only reaches the bytes after it.
int foldAsciiBlock(const char* from, char* to, std::uint32_t& capitals) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, from, sizeof chunk);
    const std::uint64_t nonAscii = chunk & everyByte(0x80);
    const int ascii = nonAscii == 0 ? 8 : std::countr_zero(nonAscii) / 8;
    const std::uint64_t kept = ascii == 8 ? ~0ULL : (1ULL << (8 * ascii)) - 1;
    const std::uint64_t fromA = chunk + everyByte(0x80 - 'A');
    const std::uint64_t pastZ = chunk + everyByte(0x80 - 'Z' - 1);
    const std::uint64_t upper = (fromA ^ pastZ) & everyByte(0x80) & kept;
    chunk |= upper >> 2;
    std::memcpy(to, &chunk, sizeof chunk);
    capitals = 0;
    for (std::uint64_t left = upper; left != 0; left &= left - 1)
        capitals |= 1u << (std::countr_zero(left) / 8);
    return ascii;
}
#endif

// A code point below this takes one byte; any other, the marker and three bytes.
constexpr unsigned char longCodePoint = 0xFF;

// The encoders write through a pointer into room made beforehand: at most this many bytes each.
constexpr std::size_t longestCount = 10;
constexpr std::size_t longestCodePoint = 4;

char* writeCount(char* out, std::size_t count) {
    while (count >= 0x80) {
        *out++ = static_cast<char>(0x80 | (count & 0x7F));
        count >>= 7;
    }
    *out++ = static_cast<char>(count);
    return out;
}

std::size_t readCount(const char*& from) {
    std::size_t count = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*from++);
        count |= std::size_t{byte & 0x7Fu} << shift;
        if (byte < 0x80)
            return count;
    }
}

char* writeCodePoint(char* out, char32_t codePoint) {
    if (codePoint < longCodePoint) {
        *out++ = static_cast<char>(codePoint);
        return out;
    }
    *out++ = static_cast<char>(longCodePoint);
    for (int shift = 0; shift < 24; shift += 8)
        *out++ = static_cast<char>((codePoint >> shift) & 0xFF);
    return out;
}

char32_t readCodePoint(const char*& from) {
    const auto first = static_cast<unsigned char>(*from++);
    if (first != longCodePoint)
        return first;
    char32_t codePoint = 0;
    for (int shift = 0; shift < 24; shift += 8)
        codePoint |= char32_t{static_cast<unsigned char>(*from++)} << shift;
    return codePoint;
}

// Folds onto the end of `out`, calling onChange(where in out, code point, folded length) for
// every code point whose folded form is not its own bytes. Most texts are mostly ASCII, which goes
// a block at a time. False when the text is not valid UTF-8.
template <typename OnChange>
bool foldWalk(std::string_view utf8, std::string& out, OnChange onChange) {
    std::size_t written = out.size();
    // Room for the text folded byte for byte, and for a whole block written past its end; only a
    // code point that folds longer needs more.
    out.resize(written + utf8.size() + blockBytes);
    bool valid = true;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        if (utf8.size() - pos >= blockBytes) {
            std::uint32_t capitals = 0;
            const int ascii = foldAsciiBlock(utf8.data() + pos, out.data() + written, capitals);
            for (; capitals != 0; capitals &= capitals - 1) {
                const int byte = std::countr_zero(capitals);
                onChange(written + byte, char32_t(utf8[pos + byte]), 1);
            }
            pos += ascii;
            written += ascii;
            if (ascii == int{blockBytes})
                continue;
        }
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            const bool capital = byte >= 'A' && byte <= 'Z';
            if (capital)
                onChange(written, char32_t(byte), 1);
            out[written++] = static_cast<char>(capital ? byte + ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        if (byte >= 0xC2 && byte <= 0xDF && pos + 1 < utf8.size() &&
            isContinuation(static_cast<unsigned char>(utf8[pos + 1]))) {
            const char32_t codePoint =
                char32_t(byte & 0x1F) << 6 | (static_cast<unsigned char>(utf8[pos + 1]) & 0x3F);
            const ShortFold& folded = shortFold(codePoint);
            if (folded.kept()) {
                // Two bytes in, at most two out: the room is there.
                std::memcpy(out.data() + written, folded.bytes.data(), folded.bytes.size());
                if (!folded.unchanged)
                    onChange(written, codePoint, folded.length);
                written += folded.length;
                pos += 2;
                continue;
            }
        }
        const std::size_t start = pos;
        const char32_t codePoint = decodeUtf8(utf8, pos);
        const FoldedCodePoint& folded = foldedCodePoint(codePoint);
        if (codePoint == replacementCharacter && utf8.substr(start, pos - start) != "\xEF\xBF\xBD")
            valid = false;
        else if (!folded.unchanged)
            onChange(written, codePoint, folded.bytes.size());
        const std::size_t needed = written + folded.bytes.size() + (utf8.size() - pos) + blockBytes;
        if (needed > out.size())
            out.resize(needed);
        for (const char c : folded.bytes)
            out[written++] = c;
    }
    out.resize(written);
    return valid;
}

} // namespace

[[gnu::flatten]] std::string fold(std::string_view utf8) {
    std::string out;
    foldWalk(utf8, out, [](std::size_t, char32_t, std::size_t) {});
    return out;
}

// Each change: how many folded bytes since the end of the previous one, then the code point.
// Changes are encoded into a small buffer first and appended to `changes` when it fills.
// Everything the walk calls goes inline: a call for each change would cost more than the change.
[[gnu::flatten]] std::optional<std::size_t>
foldKeepingChanges(std::string_view utf8, std::string& out, std::string& changes) {
    const std::size_t start = out.size();
    constexpr std::size_t pendingSize = 256;
    std::array<char, pendingSize> pending;
    char* encoded = pending.data();
    std::size_t previousEnd = 0;
    std::size_t count = 0;
    const bool valid =
        foldWalk(utf8, out, [&](std::size_t at, char32_t codePoint, std::size_t length) {
            if (encoded + longestCount + 1 + longestCodePoint > pending.data() + pendingSize) {
                changes.append(pending.data(), static_cast<std::size_t>(encoded - pending.data()));
                encoded = pending.data();
            }
            encoded = writeCodePoint(writeCount(encoded, at - start - previousEnd), codePoint);
            previousEnd = at - start + length;
            ++count;
        });
    changes.append(pending.data(), static_cast<std::size_t>(encoded - pending.data()));
    if (!valid)
        return std::nullopt;
    return count;
}

std::string unfold(std::string_view folded, const char* changes, std::size_t count) {
    std::string out;
    out.reserve(folded.size() + count * 2);
    std::size_t from = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t gap = readCount(changes);
        const char32_t codePoint = readCodePoint(changes);
        out.append(folded.substr(from, gap));
        appendUtf8(out, codePoint);
        from += gap + foldedLength(codePoint);
    }
    out.append(folded.substr(from));
    return out;
}

std::size_t foldedLength(char32_t codePoint) {
    if (codePoint < 0x80)
        return 1;
    if (codePoint < ShortFold::range)
        return shortFold(codePoint).length;
    return foldedCodePoint(codePoint).bytes.size();
}

std::string fold(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    return fold(std::string_view(utf8.constData(), utf8.size()));
}

} // namespace core::text
