#include "platform/core/folded_texts.h"

#include <cstring>

namespace core {

FoldedTexts::Text FoldedTexts::store(std::string_view original) {
    m_folded.clear();
    m_encoded.clear();
    const std::optional<std::size_t> changes =
        text::foldKeepingChanges(original, m_folded, m_encoded);
    const std::uint32_t length = static_cast<std::uint32_t>(original.size());
    const bool whole =
        !changes || *changes >= notFolded || m_encoded.size() > sizeof length + original.size();
    if (whole) {
        m_encoded.assign(reinterpret_cast<const char*>(&length), sizeof length);
        m_encoded += original;
    }
    const std::string_view stored = m_arena.store(m_folded, m_encoded);
    return {stored.data(), static_cast<std::uint32_t>(m_folded.size()),
            whole ? keptWhole : static_cast<std::uint16_t>(*changes)};
}

FoldedTexts::Text FoldedTexts::keep(std::string_view original) {
    const std::string_view stored = m_arena.store(original, {});
    return {stored.data(), static_cast<std::uint32_t>(original.size()), notFolded};
}

FoldedTexts::Text FoldedTexts::fold(const Text& text) {
    if (text.isFolded())
        return store(original(text));
    return store(std::string_view(text.data, text.foldedLength));
}

std::string FoldedTexts::original(const Text& text) {
    if (!text.isFolded())
        return std::string(text.data, text.foldedLength);
    const char* after = text.data + text.foldedLength;
    if (text.changes != keptWhole)
        return text::unfold(text.folded(), after, text.changes);
    std::uint32_t length = 0;
    std::memcpy(&length, after, sizeof length);
    return std::string(after + sizeof length, length);
}

} // namespace core
