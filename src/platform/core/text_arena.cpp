#include "platform/core/text_arena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace core {

void TextArena::expect(std::size_t bytes) {
    m_expected = bytes;
}

void TextArena::addBlock(std::size_t size) {
    m_blocks.push_back({std::make_unique_for_overwrite<char[]>(size), size});
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
    char* place = m_blocks.back().bytes.get() + m_used;
    if (!first.empty())
        std::memcpy(place, first.data(), first.size());
    if (!second.empty())
        std::memcpy(place + first.size(), second.data(), second.size());
    m_used += size;
    return {place, size};
}

// Pages only partly the arena's, at either end of a block, are kept.
void TextArena::release(const char* end) {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto address = [](const char* pointer) {
        return reinterpret_cast<std::uintptr_t>(pointer);
    };
    for (const Block& block : m_blocks) {
        const std::uintptr_t start = address(block.bytes.get());
        const bool inside = address(end) >= start && address(end) <= start + block.size;
        const std::uintptr_t from = (start + page - 1) / page * page;
        const std::uintptr_t to = (inside ? address(end) : start + block.size) / page * page;
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
        if (inside)
            return;
    }
}

} // namespace core
