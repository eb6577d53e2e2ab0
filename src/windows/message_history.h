#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace windows {

// The numbers of the messages shown in one collection, oldest first, for going back to one the
// timer took away and forward again. It lives in memory only and holds the latest `capacity`.
class MessageHistory {
public:
    static constexpr std::size_t capacity = 100;

    // A message is on display. Showing the one the history stands at changes nothing, which is
    // what moving back or forward does once the message is up; any other drops what lay ahead.
    void record(std::int16_t number);
    // The number before or after the one the history stands at, which it then stands at;
    // nothing at either end.
    std::optional<std::int16_t> back();
    std::optional<std::int16_t> forward();
    // Another collection: the numbers of the old one mean nothing there.
    void clear();

private:
    std::deque<std::int16_t> m_numbers;
    std::size_t m_current = 0;
};

} // namespace windows
