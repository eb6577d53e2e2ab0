#pragma once

#include "platform/core/text_arena.h"
#include "platform/core/text_fold.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// Many texts, each kept once: in the folded form that comparisons read (text_fold.h), followed
// by what it takes to give the text back exactly as it was, the code points that folding
// changed (mostly capitals and accented letters, two bytes each). Portuguese prose so takes about
// a tenth more room than one copy of it, where a copy and its folded form would take two. A text
// that is not valid UTF-8, or that folding changes nearly everywhere, is kept whole after its
// folded form.
//
// A text can also be kept just as it was given (keep), which costs no more than a copy, and
// folded later into another store (fold): reading many texts then waits for no folding.
class FoldedTexts {
public:
    // What a caller keeps of one stored text; valid as long as the store.
    struct Text {
        const char* data = nullptr;
        std::uint32_t foldedLength = 0;
        std::uint16_t changes = 0; // or keptWhole, or notFolded
        // Only for a text that is folded.
        std::string_view folded() const { return {data, foldedLength}; }
        bool isFolded() const { return changes != notFolded; }
    };
    static constexpr std::uint16_t keptWhole = 0xFFFF;
    // A text kept as it was given: foldedLength is then its own length.
    static constexpr std::uint16_t notFolded = 0xFFFE;

    // Makes the next block at least `bytes` long: see TextArena::expect.
    void expect(std::size_t bytes) { m_arena.expect(bytes); }
    Text store(std::string_view original);
    // The text as it is, not folded.
    Text keep(std::string_view original);
    // A text of any store, folded into this one.
    Text fold(const Text& text);
    // The room of the texts stored before `end` goes back to the system; they are gone.
    void release(const char* end) { m_arena.release(end); }
    // The text as it was given to store, byte for byte.
    static std::string original(const Text& text);

private:
    TextArena m_arena;
    // Reused from text to text.
    std::string m_folded;
    std::string m_encoded;
};

} // namespace core
