#pragma once

#include <cstdint>

namespace Gamespace {

// The difficulties, as a profile stores them.
enum Difficulty : uint16_t { kEasy = 0, kMedium = 1, kHard = 2 };
inline constexpr uint16_t kHardest = kHard;
inline constexpr uint16_t kDifficultyCount = kHardest + 1;

}  // namespace Gamespace
