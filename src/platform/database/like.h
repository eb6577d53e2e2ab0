#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

// A compiled Like pattern over folded UTF-8 texts (see text_fold.h):
//   *        any run of characters, none included
//   ?        exactly one character
//   #        one digit 0-9
//   [abc]    one of the listed characters; [a-z] a range; [!abc] any character not listed
// Inside brackets *, ? and # stand for themselves. A "[" with no closing "]" is a plain "[".
// "[]" matches nothing and takes no character; "[!]" takes any one character.
class LikePattern {
public:
    explicit LikePattern(std::string_view foldedPattern);

    bool matches(std::string_view foldedText) const;

private:
    struct Token {
        enum class Kind { Star, Literal, AnyOne, Digit, Class };
        Kind kind = Kind::Literal;
        std::string literal; // a run of plain characters, matched as one
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool negated = false;
    };

    static std::size_t parseClass(std::string_view pattern, std::size_t open, Token& token);
    // Whether the token matches the text at `pos`; if so, `pos` moves past what it took.
    static bool takes(const Token& token, std::string_view text, std::size_t& pos);

    std::vector<Token> m_tokens;
};

} // namespace db
