#include "platform/core/text_arena.h"

#include <algorithm>
#include <cstring>

namespace core {

void TextArena::expect(std::size_t bytes) {
    m_expected = bytes;
}

void TextArena::addBlock(std::size_t size) {
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
    m_size = size;
    m_used = 0;
}

std::string_view TextArena::store(std::string_view text) {
    if (text.empty())
        return {};
    if (m_size - m_used < text.size()) {
        // Each new block doubles the room so far, so a long run of texts takes few blocks.
        addBlock(std::max({text.size(), smallestBlock, m_expected, m_size * 2}));
        m_expected = 0;
    }
    char* place = m_blocks.back().get() + m_used;
    std::memcpy(place, text.data(), text.size());
    m_used += text.size();
    return {place, text.size()};
}

} // namespace core
