#pragma once

#include <QStringView>
#include <optional>
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
std::string fold(QStringView text);
// How many bytes the folded form of one code point takes.
std::size_t foldedLength(char32_t codePoint);

// fold, appending the folded text to `out`, and to `changes` what unfold needs to give the text
// back exactly: each code point whose folded form is not its own UTF-8 (a capital or an accented
// Latin letter takes two bytes). How many there are, or nothing for a text that is not valid UTF-8,
// which folding cannot give back.
std::optional<std::size_t> foldKeepingChanges(std::string_view utf8, std::string& out,
                                              std::string& changes);
// The text that foldKeepingChanges folded into `folded`, with its `count` changes.
std::string unfold(std::string_view folded, const char* changes, std::size_t count);

} // namespace core::text
