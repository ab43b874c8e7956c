#pragma once

// The parts of the game screen's background that carry the header and the
// footer's words: the art draws them here and nowhere else, and no card of
// any layout may lie on them (a test checks every layout against them).

namespace AssetGen {

struct Band {
    int x, y, width, height;
};

// The dark header for "Menu", the difficulty, the clock and the count-down,
// closed by a gold rule on its last two rows.
inline constexpr Band kGameHeader{0, 0, 1024, 152};
inline constexpr int kGameRuleY = 150;
// Corner plates under "Exit" (bottom left) and the two links (bottom right).
inline constexpr Band kGameExitPlate{0, 726, 96, 42};
inline constexpr Band kGameLinksPlate{884, 698, 140, 70};

inline constexpr Band kGameBands[] = {kGameHeader, kGameExitPlate, kGameLinksPlate};

}  // namespace AssetGen
