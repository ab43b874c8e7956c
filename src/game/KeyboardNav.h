#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Gamespace {

// The keys the game answers, as the framework numbers them.
inline constexpr int32_t kKeyTab = 9;
inline constexpr int32_t kKeyReturn = 13;
inline constexpr int32_t kKeyShift = 16;
inline constexpr int32_t kKeyEscape = 27;
inline constexpr int32_t kKeySpace = 32;
inline constexpr int32_t kKeyLeft = 37;
inline constexpr int32_t kKeyUp = 38;
inline constexpr int32_t kKeyRight = 39;
inline constexpr int32_t kKeyDown = 40;
inline constexpr int32_t kKeyMenu = 93;  // the menu key: a gamepad's Start

enum class Direction { Left, Up, Right, Down };

// The direction of an arrow key; false for any other key.
bool ArrowDirection(int32_t key, Direction* direction);

struct NavPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Where the focus goes from `points[from]` for an arrow towards `direction`
// among irregularly placed cards: the nearest card within about 60 degrees
// of that direction, distance along the way counting less than distance
// across it; when there is none, it wraps to the far side, to the card most
// nearly in line. With two or more cards it always moves, so the focus is
// never trapped; with one it stays.
size_t NextInDirection(const std::vector<NavPoint>& points, size_t from, Direction direction);

// The next of `count` items from `current` (-1: none lit) by `step` (+1 or
// -1), round the ends, skipping those `usable` refuses; -1 when none is usable.
// From none lit, +1 starts at the first item and -1 at the last.
int NextUsable(int current, int step, int count, const std::function<bool(int)>& usable);

}  // namespace Gamespace
