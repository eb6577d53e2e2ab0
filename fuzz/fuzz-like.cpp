// The Like matcher and the accent- and case-insensitive folding in front of it. The input is a
// pattern, a zero byte and a text (without a zero byte it is both); each is matched against the
// other, alone and inside the "* keyword *" pattern of the Find window. The pattern comes in as
// typed text, the text as the raw bytes a collection may hold. Every answer is compared with a
// plain table-filling matcher written from the documented rules.

#include "fuzz_input.h"
#include "platform/core/text_fold.h"
#include "platform/database/like.h"

#include <string>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

std::vector<char32_t> codePoints(std::string_view folded) {
    std::vector<char32_t> result;
    for (std::size_t pos = 0; pos < folded.size();)
        result.push_back(core::text::decodeUtf8(folded, pos));
    return result;
}

struct RuleToken {
    enum class Kind { Star, Literal, AnyOne, Digit, Class };
    Kind kind = Kind::Literal;
    char32_t literal = 0;
    std::vector<std::pair<char32_t, char32_t>> ranges;
    bool negated = false;

    bool takes(char32_t c) const {
        switch (kind) {
        case Kind::Literal:
            return c == literal;
        case Kind::Digit:
            return c >= U'0' && c <= U'9';
        case Kind::Class: {
            bool listed = false;
            for (const auto& [low, high] : ranges)
                listed = listed || (low <= c && c <= high);
            return listed != negated;
        }
        default:
            return true;
        }
    }
};

// "[" up to the first "]" is a class: "!" first negates it, "a-z" is a range when a character
// follows the "-" before the "]". A "[" with no "]" after it is a plain "[". "[]" is nothing.
RuleToken classToken(const std::vector<char32_t>& p, std::size_t open, std::size_t close) {
    RuleToken token;
    token.kind = RuleToken::Kind::Class;
    std::size_t i = open + 1;
    if (i < close && p[i] == U'!') {
        token.negated = true;
        ++i;
    }
    while (i < close) {
        if (i + 2 < close && p[i + 1] == U'-') {
            token.ranges.emplace_back(p[i], p[i + 2]);
            i += 3;
        } else {
            token.ranges.emplace_back(p[i], p[i]);
            ++i;
        }
    }
    return token;
}

std::vector<RuleToken> ruleTokens(const std::vector<char32_t>& p) {
    std::vector<RuleToken> tokens;
    for (std::size_t i = 0; i < p.size(); ++i) {
        RuleToken token;
        std::size_t close = i + 1;
        while (p[i] == U'[' && close < p.size() && p[close] != U']')
            ++close;
        if (p[i] == U'*') {
            token.kind = RuleToken::Kind::Star;
        } else if (p[i] == U'?') {
            token.kind = RuleToken::Kind::AnyOne;
        } else if (p[i] == U'#') {
            token.kind = RuleToken::Kind::Digit;
        } else if (p[i] == U'[' && close < p.size()) {
            token = classToken(p, i, close);
            i = close;
            if (token.ranges.empty() && !token.negated)
                continue;
        } else {
            token.literal = p[i];
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// reach[j]: the tokens so far can take exactly the first j characters.
bool ruleMatch(const std::vector<RuleToken>& tokens, const std::vector<char32_t>& text) {
    std::vector<char> reach(text.size() + 1, 0);
    reach[0] = 1;
    for (const RuleToken& token : tokens) {
        if (token.kind == RuleToken::Kind::Star) {
            for (std::size_t j = 1; j < reach.size(); ++j)
                reach[j] = reach[j] || reach[j - 1];
            continue;
        }
        for (std::size_t j = text.size(); j > 0; --j)
            reach[j] = reach[j - 1] && token.takes(text[j - 1]);
        reach[0] = 0;
    }
    return reach.back() != 0;
}

void checkMatch(const std::string& foldedPattern, const std::string& foldedText,
                const QString& shown) {
    const bool matched = db::LikePattern(foldedPattern).matches(foldedText);
    const std::vector<char32_t> pattern = codePoints(foldedPattern);
    const std::vector<char32_t> text = codePoints(foldedText);
    constexpr std::size_t cheapEnough = std::size_t{1} << 22;
    if (pattern.size() * (text.size() + 1) > cheapEnough)
        return;
    fuzz::require(matched == ruleMatch(ruleTokens(pattern), text),
                  "the matcher disagrees with the rules", shown);
}

std::string folded(const QString& typed, const QString& shown) {
    std::string result = core::text::fold(typed);
    fuzz::require(core::text::isValidUtf8(result), "folded text is not valid UTF-8", shown);
    return result;
}

void check(const QString& pattern, std::string_view storedText) {
    const QString shown = pattern + u" | "_s + fuzz::fromUtf8(storedText);
    const std::string text = core::text::fold(storedText);
    fuzz::require(core::text::isValidUtf8(text), "folded text is not valid UTF-8", shown);
    checkMatch(folded(pattern, shown), text, shown);
    checkMatch(folded(u"* "_s + pattern + u" *"_s, shown), text, shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::size_t zero = bytes.find('\0');
    const std::string_view first = bytes.substr(0, zero);
    const std::string_view second = zero == std::string_view::npos ? bytes : bytes.substr(zero + 1);
    check(fuzz::fromUtf8(first), second);
    check(fuzz::fromUtf8(second), first);
    check(fuzz::fromUtf16(first), second);
    return 0;
}
