// The 15-bit pseudo-random generator of the 32-bit Windows C runtime, so that
// a maker writes for a given second the very bytes the original platform did.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace common {

class Draws {
public:
    static constexpr int max = 32767;

    explicit Draws(std::uint32_t seed) : state_(seed) {}

    // Seeded as the makers are: with the current calendar time.
    static Draws from_time() { return Draws(static_cast<std::uint32_t>(std::time(nullptr))); }

    // Seeded with the given seed (the makers' --seed), else with the current
    // second: a case made at second S is made again by the seed S.
    static Draws seeded(std::optional<std::int64_t> seed)
    {
        return seed ? Draws(static_cast<std::uint32_t>(*seed)) : from_time();
    }

    // One draw, 0..32767.
    int next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_;
};

}  // namespace common
