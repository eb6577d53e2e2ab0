#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// What the fuzz targets share: turning the fuzzer's bytes into the texts a user could type, and
// stopping on a broken property in a way libFuzzer records as a crash with its input.
namespace fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Typed or pasted text arrives as UTF-8; malformed sequences become replacement characters.
inline QString fromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The same bytes read as UTF-16 code units, so lone surrogates and any other QChar reach the
// code too. An odd last byte is dropped.
inline QString fromUtf16(std::string_view bytes) {
    const auto units = static_cast<qsizetype>(bytes.size() / 2);
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                              static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return text;
}

[[noreturn]] inline void fault(const char* what, const QString& detail) {
    std::fprintf(stderr, "\n*** %s\n*** %s\n", what, qUtf8Printable(detail));
    std::abort();
}

inline void require(bool holds, const char* what, const QString& detail) {
    if (!holds)
        fault(what, detail);
}

} // namespace fuzz
