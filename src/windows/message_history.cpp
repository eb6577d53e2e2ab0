#include "windows/message_history.h"

namespace windows {

void MessageHistory::record(std::int16_t number) {
    if (!m_numbers.empty() && m_numbers[m_current] == number)
        return;
    if (!m_numbers.empty())
        m_numbers.erase(m_numbers.begin() + static_cast<std::ptrdiff_t>(m_current) + 1,
                        m_numbers.end());
    m_numbers.push_back(number);
    if (m_numbers.size() > capacity)
        m_numbers.pop_front();
    m_current = m_numbers.size() - 1;
}

std::optional<std::int16_t> MessageHistory::back() {
    if (m_numbers.empty() || m_current == 0)
        return std::nullopt;
    return m_numbers[--m_current];
}

std::optional<std::int16_t> MessageHistory::forward() {
    if (m_current + 1 >= m_numbers.size())
        return std::nullopt;
    return m_numbers[++m_current];
}

void MessageHistory::clear() {
    m_numbers.clear();
    m_current = 0;
}

} // namespace windows
