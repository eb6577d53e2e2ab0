#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace core {

// Holds many texts in large blocks that never move, so views into it stay valid and storing a
// text never copies the ones before it (a growing string would, again and again).
class TextArena {
public:
    // Makes the next block at least `bytes` long: when the total is known beforehand, one
    // allocation holds every text.
    void expect(std::size_t bytes);
    // Both texts, one right after the other; the view covers both.
    std::string_view store(std::string_view first, std::string_view second);
    // Gives back to the system the whole pages that hold only texts stored before `end` (which
    // points into this arena): those texts must never be read again.
    void release(const char* end);

private:
    void addBlock(std::size_t size);

    static constexpr std::size_t smallestBlock = std::size_t{64} << 10;

    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0;
    };
    std::vector<Block> m_blocks; // the last one is being filled
    std::size_t m_used = 0;
    std::size_t m_size = 0; // of the last block
    std::size_t m_expected = 0;
};

} // namespace core
