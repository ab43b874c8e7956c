#include "game/rules/DealRandom.h"

#include <algorithm>
#include <cassert>

namespace Gamespace::Rules {

namespace {
constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;  // odd: a full period
}  // namespace

void DealRandom::Seed(uint64_t seed) {
    m_state = 0;
    Next();
    m_state += seed;
    Next();
}

uint32_t DealRandom::Next() {
    const uint64_t old = m_state;
    m_state = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

uint32_t DealRandom::Below(uint32_t bound) {
    if (bound == 0) {
        return 0;
    }
    // Values under 2^32 mod bound would make the low results a little more
    // likely: they are drawn again.
    const uint32_t threshold = static_cast<uint32_t>(-bound) % bound;
    for (;;) {
        const uint32_t r = Next();
        if (r >= threshold) {
            return r % bound;
        }
    }
}

int32_t DealRandom::RandomInRange(int32_t lo, int32_t hi) {
    if (hi < lo) {
        return 0;
    }
    if (hi == lo) {
        return lo;
    }
    const auto span = static_cast<uint32_t>(static_cast<int64_t>(hi) - lo);
    return static_cast<int32_t>(lo + static_cast<int64_t>(Below(span)));
}

int32_t DealRandom::RandomUnused(int32_t lo, int32_t hi, const std::vector<int32_t>& used) {
    assert((hi <= lo || static_cast<int64_t>(used.size()) < static_cast<int64_t>(hi) - lo) &&
           "RandomUnused: every value of the range is used");
    for (;;) {
        const int32_t value = RandomInRange(lo, hi);
        if (std::find(used.begin(), used.end(), value) == used.end()) {
            return value;
        }
    }
}

}  // namespace Gamespace::Rules
