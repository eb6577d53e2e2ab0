#include "platform/core/random_source.h"

#include <chrono>

namespace core {

void ClockRandom::reseedFromClock() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
    m_state = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

// SplitMix64: every seed, even one close to the last, gives a well-mixed first number, which is
// what a generator reseeded before every draw needs.
std::uint64_t ClockRandom::nextBits() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

float ClockRandom::next() {
    constexpr float twoToMinus24 = 1.0f / 16777216.0f;
    return static_cast<float>(nextBits() >> 40) * twoToMinus24;
}

} // namespace core
