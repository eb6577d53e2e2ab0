#include "platform/database/like.h"

#include "platform/core/text_fold.h"

#include <cstring>

namespace db {

using core::text::decodeUtf8;

LikePattern::LikePattern(std::string_view pattern) {
    m_pieces.emplace_back();
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        Piece& piece = m_pieces.back();
        if (c == '*') {
            m_pieces.emplace_back();
            ++pos;
            continue;
        }
        Token token;
        if (c == '?' || c == '#') {
            token.kind = c == '?' ? Token::Kind::AnyOne : Token::Kind::Digit;
            ++pos;
        } else if (c == '[' && pattern.find(']', pos + 1) != std::string_view::npos) {
            pos = parseClass(pattern, pos, token);
            if (token.kind == Token::Kind::Class && token.ranges.empty() && !token.negated)
                continue; // "[]" takes no character
        } else {
            const std::size_t start = pos;
            decodeUtf8(pattern, pos);
            const std::string_view character = pattern.substr(start, pos - start);
            if (!piece.tokens.empty() && piece.tokens.back().kind == Token::Kind::Literal) {
                piece.tokens.back().literal += character;
                continue;
            }
            token.literal = character;
        }
        piece.tokens.push_back(std::move(token));
    }
    for (Piece& piece : m_pieces) {
        for (const Token& token : piece.tokens) {
            if (token.kind != Token::Kind::Literal) {
                ++piece.codePoints;
                continue;
            }
            for (std::size_t i = 0; i < token.literal.size(); decodeUtf8(token.literal, i))
                ++piece.codePoints;
        }
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

bool LikePattern::tokenMatches(const Token& token, std::string_view text, std::size_t& pos) {
    if (token.kind == Token::Kind::Literal) {
        if (text.size() - pos < token.literal.size() ||
            std::memcmp(text.data() + pos, token.literal.data(), token.literal.size()) != 0)
            return false;
        pos += token.literal.size();
        return true;
    }
    if (pos >= text.size())
        return false;
    const char32_t c = decodeUtf8(text, pos);
    switch (token.kind) {
    case Token::Kind::AnyOne:
        return true;
    case Token::Kind::Digit:
        return c >= U'0' && c <= U'9';
    default:
        break;
    }
    bool inClass = false;
    for (const auto& [low, high] : token.ranges)
        inClass = inClass || (c >= low && c <= high);
    return inClass != token.negated;
}

bool LikePattern::pieceMatchesAt(const Piece& piece, std::string_view text, std::size_t start,
                                 std::size_t& end) {
    std::size_t pos = start;
    for (const Token& token : piece.tokens)
        if (!tokenMatches(token, text, pos))
            return false;
    end = pos;
    return true;
}

// The leftmost place at or after `from` where the piece matches. Taking the leftmost match of
// each piece in turn never loses a match, because stars absorb whatever lies between pieces.
bool LikePattern::findPiece(const Piece& piece, std::string_view text, std::size_t from,
                            std::size_t& end) {
    if (piece.tokens.empty()) {
        end = from;
        return true;
    }
    const Token& first = piece.tokens.front();
    if (first.kind == Token::Kind::Literal) {
        while (from + first.literal.size() <= text.size()) {
            const void* hit = memmem(text.data() + from, text.size() - from, first.literal.data(),
                                     first.literal.size());
            if (hit == nullptr)
                return false;
            const auto start =
                static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
            if (pieceMatchesAt(piece, text, start, end))
                return true;
            from = start + 1;
        }
        return false;
    }
    for (std::size_t start = from; start < text.size(); decodeUtf8(text, start))
        if (pieceMatchesAt(piece, text, start, end))
            return true;
    return false;
}

// The last piece must end exactly where the text ends; it spans a fixed number of
// characters, so there is only one place to try.
bool LikePattern::lastPieceMatches(std::string_view text, std::size_t from) const {
    const Piece& last = m_pieces.back();
    std::size_t start = text.size();
    for (std::size_t n = 0; n < last.codePoints; ++n) {
        if (start <= from)
            return false;
        do
            --start;
        while (start > from && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80);
    }
    std::size_t end = 0;
    return start >= from && pieceMatchesAt(last, text, start, end) && end == text.size();
}

bool LikePattern::matches(std::string_view text) const {
    std::size_t pos = 0;
    if (m_pieces.size() == 1)
        return pieceMatchesAt(m_pieces.front(), text, 0, pos) && pos == text.size();
    if (!pieceMatchesAt(m_pieces.front(), text, 0, pos))
        return false;
    for (std::size_t i = 1; i + 1 < m_pieces.size(); ++i)
        if (!findPiece(m_pieces[i], text, pos, pos))
            return false;
    return lastPieceMatches(text, pos);
}

} // namespace db
