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
        enum class Kind { Literal, AnyOne, Digit, Class };
        Kind kind = Kind::Literal;
        std::string literal;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool negated = false;
    };
    // The tokens between two stars; matched as one fixed-length unit.
    struct Piece {
        std::vector<Token> tokens;
        std::size_t codePoints = 0;
    };

    static std::size_t parseClass(std::string_view pattern, std::size_t open, Token& token);
    static bool tokenMatches(const Token& token, std::string_view text, std::size_t& pos);
    static bool pieceMatchesAt(const Piece& piece, std::string_view text, std::size_t start,
                               std::size_t& end);
    static bool findPiece(const Piece& piece, std::string_view text, std::size_t from,
                          std::size_t& end);
    bool lastPieceMatches(std::string_view text, std::size_t from) const;

    std::vector<Piece> m_pieces; // one more than the number of stars
};

} // namespace db
