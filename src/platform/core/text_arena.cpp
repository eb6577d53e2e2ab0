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

std::string_view TextArena::store(std::string_view first, std::string_view second) {
    const std::size_t size = first.size() + second.size();
    if (size == 0)
        return {};
    if (m_size - m_used < size) {
        // Each new block doubles the room so far, so a long run of texts takes few blocks.
        addBlock(std::max({size, smallestBlock, m_expected, m_size * 2}));
        m_expected = 0;
    }
    char* place = m_blocks.back().get() + m_used;
    if (!first.empty())
        std::memcpy(place, first.data(), first.size());
    if (!second.empty())
        std::memcpy(place + first.size(), second.data(), second.size());
    m_used += size;
    return {place, size};
}

} // namespace core
