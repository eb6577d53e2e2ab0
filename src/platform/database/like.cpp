#include "platform/database/like.h"

#include "platform/core/text_fold.h"

#include <cstring>

namespace db {

using core::text::decodeUtf8;

LikePattern::LikePattern(std::string_view pattern) {
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        Token token;
        if (c == '*' || c == '?' || c == '#') {
            token.kind = c == '*'   ? Token::Kind::Star
                         : c == '?' ? Token::Kind::AnyOne
                                    : Token::Kind::Digit;
            ++pos;
        } else if (c == '[' && pattern.find(']', pos + 1) != std::string_view::npos) {
            pos = parseClass(pattern, pos, token);
            if (token.ranges.empty() && !token.negated)
                continue; // "[]" takes no character
        } else {
            const std::size_t start = pos;
            decodeUtf8(pattern, pos);
            token.literal = pattern.substr(start, pos - start);
            if (!m_tokens.empty() && m_tokens.back().kind == Token::Kind::Literal) {
                m_tokens.back().literal += token.literal;
                continue;
            }
        }
        m_tokens.push_back(std::move(token));
    }
}

std::size_t LikePattern::parseClass(std::string_view pattern, std::size_t open, Token& token) {
    token.kind = Token::Kind::Class;
    std::size_t pos = open + 1;
    const std::size_t close = pattern.find(']', pos);
    if (pos < close && pattern[pos] == '!') {
        token.negated = true;
        ++pos;
    }
    while (pos < close) {
        const char32_t low = decodeUtf8(pattern, pos);
        char32_t high = low;
        if (pos + 1 < close && pattern[pos] == '-') {
            ++pos;
            high = decodeUtf8(pattern, pos);
        }
        token.ranges.emplace_back(low, high);
    }
    return close + 1;
}

bool LikePattern::takes(const Token& token, std::string_view text, std::size_t& pos) {
    if (token.kind == Token::Kind::Literal) {
        if (!text.substr(pos).starts_with(token.literal))
            return false;
        pos += token.literal.size();
        return true;
    }
    if (pos >= text.size())
        return false;
    const char32_t c = decodeUtf8(text, pos);
    if (token.kind != Token::Kind::Class)
        return token.kind == Token::Kind::AnyOne || (c >= U'0' && c <= U'9');
    bool inClass = false;
    for (const auto& [low, high] : token.ranges)
        inClass = inClass || (c >= low && c <= high);
    return inClass != token.negated;
}

// The tokens are taken from the left, each star taking as little as it can. On a mismatch only
// the last star met takes more: an earlier one taking more would only leave the tokens after the
// last star less room. A star followed by plain characters jumps to where they next occur.
bool LikePattern::matches(std::string_view text) const {
    constexpr std::size_t noStar = std::string_view::npos;
    std::size_t token = 0;
    std::size_t pos = 0;
    std::size_t star = noStar;
    std::size_t starEnd = 0; // where the text after the last star's run begins
    for (;;) {
        if (token < m_tokens.size() && m_tokens[token].kind == Token::Kind::Star) {
            if (token + 1 == m_tokens.size())
                return true; // a star at the end takes the rest
            star = token++;
            starEnd = pos;
        } else if (token == m_tokens.size() && pos == text.size()) {
            return true;
        } else if (token < m_tokens.size() && takes(m_tokens[token], text, pos)) {
            ++token;
        } else if (star == noStar || starEnd >= text.size()) {
            return false;
        } else {
            const std::string& plain = m_tokens[star + 1].literal;
            if (plain.empty()) {
                decodeUtf8(text, starEnd);
            } else {
                const void* hit = memmem(text.data() + starEnd + 1, text.size() - starEnd - 1,
                                         plain.data(), plain.size());
                if (hit == nullptr)
                    return false;
                starEnd = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
            }
            pos = starEnd;
            token = star + 1;
        }
    }
}

} // namespace db
