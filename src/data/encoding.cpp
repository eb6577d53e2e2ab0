#include "data/encoding.h"

#include "platform/core/text_fold.h"

#include <QIODevice>
#include <array>

namespace data {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; zero marks the five bytes it leaves
// undefined.
constexpr std::array<char16_t, 32> cp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

DecodedLine decodeSingleByte(std::string_view bytes, Encoding encoding) {
    DecodedLine line;
    line.converted = true;
    line.utf8.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t codePoint = byte;
        if (encoding == Encoding::Cp1252 && byte >= 0x80 && byte < 0xA0) {
            codePoint = cp1252High[byte - 0x80];
            if (codePoint == 0)
                return {{},
                        {},
                        false,
                        QStringLiteral("o byte 0x%1 não tem significado em cp1252")
                            .arg(QString::number(byte, 16).toUpper())};
        }
        core::text::appendUtf8(line.utf8, codePoint);
    }
    return line;
}

} // namespace

std::optional<Encoding> encodingNamed(QStringView name) {
    const QString lower = name.toString().toLower();
    if (lower == u"utf-8" || lower == u"utf8")
        return Encoding::Utf8;
    if (lower == u"latin1" || lower == u"latin-1" || lower == u"iso-8859-1")
        return Encoding::Latin1;
    if (lower == u"cp1252" || lower == u"windows-1252")
        return Encoding::Cp1252;
    if (lower == u"auto")
        return Encoding::Auto;
    return std::nullopt;
}

Encoding resolveEncoding(Encoding asked, QIODevice& source) {
    if (asked != Encoding::Auto)
        return asked;
    // Looked at a block at a time, each cut after its last line so that no character is split.
    constexpr qint64 blockSize = 1024 * 1024;
    bool valid = true;
    QByteArray pending;
    while (valid && !source.atEnd()) {
        pending += source.read(blockSize);
        const qsizetype cut = source.atEnd() ? pending.size() : pending.lastIndexOf('\n') + 1;
        valid = core::text::isValidUtf8(std::string_view(pending.constData(), cut));
        pending.remove(0, cut);
    }
    source.seek(0);
    return valid ? Encoding::Utf8 : Encoding::Cp1252;
}

DecodedLine decodeLine(std::string_view bytes, Encoding encoding) {
    if (encoding != Encoding::Utf8)
        return decodeSingleByte(bytes, encoding);
    if (!core::text::isValidUtf8(bytes))
        return {{},
                {},
                false,
                QStringLiteral("o texto não está em UTF-8 válido (para um arquivo em Latin-1 ou "
                               "Windows-1252, use --codificacao latin1, cp1252 ou auto)")};
    return {{}, bytes, false, {}};
}

} // namespace data
