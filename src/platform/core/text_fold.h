#pragma once

#include <QStringView>
#include <string>
#include <string_view>

// Texts compared by criteria ignore letter case and accents: both sides are brought to a
// folded UTF-8 form (canonical decomposition, combining marks dropped, case folded), so that
// "coracao" and "Coração" meet. Folded texts are always valid UTF-8.
namespace core::text {

inline constexpr char32_t replacementCharacter = 0xFFFD;

// Decodes the code point at `pos` and moves `pos` past it. A malformed sequence reads as one
// replacement character and moves one byte.
char32_t decodeUtf8(std::string_view utf8, std::size_t& pos);
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view utf8);

std::string fold(std::string_view utf8);
// The same, appended to `out`, so a caller folding many texts can reuse one buffer.
void foldInto(std::string_view utf8, std::string& out);
std::string fold(QStringView text);

} // namespace core::text
