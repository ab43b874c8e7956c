#pragma once

#include <cstdint>

#include "common/Catalogue.h"

namespace Gamespace {

// The difficulties, as a profile stores them.
enum Difficulty : uint16_t { kEasy = 0, kMedium = 1, kHard = 2 };
inline constexpr uint16_t kHardest = kHard;
inline constexpr uint16_t kDifficultyCount = kHardest + 1;

// The difficulties' names in English, as the history file writes them; the
// screens show them through the catalogues.
inline constexpr const char* kDifficultyNames[kDifficultyCount] = {CommonLibrary::TrLater("Easy"),
                                                                   CommonLibrary::TrLater("Medium"),
                                                                   CommonLibrary::TrLater("Hard")};

}  // namespace Gamespace
