#pragma once

#include <cstdint>
#include <vector>

namespace Gamespace::Rules {

// The deal's random numbers: a small seeded generator of our own (PCG-XSH-RR,
// 64-bit state, 32-bit output) with its own bounded draw, so that a seed gives
// the same deal on every machine and standard library. Not for secrets.
class DealRandom {
public:
    explicit DealRandom(uint64_t seed = 0) { Seed(seed); }

    // Starts the sequence again from `seed`.
    void Seed(uint64_t seed);
    // The next 32 random bits.
    uint32_t Next();
    // A value in [0, bound) without bias (rejection of the short last span); 0 when bound is 0.
    uint32_t Below(uint32_t bound);
    // A value in [lo, hi): lo when hi == lo, 0 when hi < lo.
    int32_t RandomInRange(int32_t lo, int32_t hi);
    // RandomInRange(lo, hi) until the value is not in `used`. The range must
    // hold a value that is not used (asserted): otherwise it would never end.
    int32_t RandomUnused(int32_t lo, int32_t hi, const std::vector<int32_t>& used);

private:
    uint64_t m_state = 0;
};

}  // namespace Gamespace::Rules
