#pragma once

#include <cstdint>

namespace core {

// Uniform single-precision numbers in [0, 1), reseeded from a high-resolution clock on request.
// 24 random bits times 2^-24 keep r below 1 exactly, which rounding a wider value to a float
// would not.
class ClockRandom {
public:
    void reseedFromClock();
    void seed(std::uint64_t value) { m_state = value; }
    float next();

private:
    std::uint64_t nextBits();

    std::uint64_t m_state = 0;
};

} // namespace core
