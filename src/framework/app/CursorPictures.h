#pragma once

// The pictures of the two custom cursors (also the window's fallback icon),
// drawn in code: 32 x 32 pixels as 0xAARRGGBB.

#include <array>
#include <cstdint>

namespace Brisk::detail {

inline constexpr int kCursorSize = 32;
using CursorPixels = std::array<uint32_t, kCursorSize * kCursorSize>;

struct Box {
    int x0, y0, x1, y1;  // inclusive
    bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

inline bool InDisc(int x, int y, int cx, int cy, int r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A white shape with a one-pixel black outline, transparent elsewhere.
template <typename Inside>
CursorPixels BuildCursor(Inside inside) {
    CursorPixels px{};
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            if (inside(x, y)) {
                px[y * kCursorSize + x] = 0xFFFFFFFFu;
                continue;
            }
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy) {
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    edge = inside(x + dx, y + dy);
                }
            }
            px[y * kCursorSize + x] = edge ? 0xFF000000u : 0u;
        }
    }
    return px;
}

// Pointing hand; the tip of the index finger is at (11, 4).
inline CursorPixels HandCursorPixels() {
    return BuildCursor([](int x, int y) {
        const Box index{10, 5, 12, 17};
        const Box middle{14, 10, 16, 17};
        const Box ring{18, 11, 20, 17};
        const Box little{22, 13, 23, 18};
        const Box palm{7, 16, 23, 25};
        const Box wrist{9, 26, 21, 28};
        const bool thumb = x >= 5 && x <= 8 && y >= 15 && y <= 21 && (y - 15) >= (8 - x) - 3;
        return index.Contains(x, y) || InDisc(x, y, 11, 5, 1) || middle.Contains(x, y) ||
               InDisc(x, y, 15, 10, 1) || ring.Contains(x, y) || InDisc(x, y, 19, 11, 1) ||
               little.Contains(x, y) || palm.Contains(x, y) || wrist.Contains(x, y) || thumb;
    });
}

// Closed, grabbing hand; its grip point is (15, 10).
inline CursorPixels DraggingCursorPixels() {
    return BuildCursor([](int x, int y) {
        const Box palm{8, 11, 23, 23};
        const Box wrist{10, 24, 21, 26};
        return palm.Contains(x, y) || wrist.Contains(x, y) || InDisc(x, y, 10, 11, 2) ||
               InDisc(x, y, 14, 10, 2) || InDisc(x, y, 18, 10, 2) || InDisc(x, y, 22, 11, 2) ||
               InDisc(x, y, 7, 15, 2);
    });
}

}  // namespace Brisk::detail
