#include "game/KeyboardNav.h"

#include <cmath>
#include <limits>

namespace Gamespace {

bool ArrowDirection(int32_t key, Direction* direction) {
    switch (key) {
        case kKeyLeft:
            *direction = Direction::Left;
            return true;
        case kKeyUp:
            *direction = Direction::Up;
            return true;
        case kKeyRight:
            *direction = Direction::Right;
            return true;
        case kKeyDown:
            *direction = Direction::Down;
            return true;
        default:
            return false;
    }
}

size_t NextInDirection(const std::vector<NavPoint>& points, size_t from, Direction direction) {
    if (from >= points.size()) {
        return from;
    }
    // The unit vector of the direction, screen y growing downwards.
    const int dx = direction == Direction::Left ? -1 : direction == Direction::Right ? 1 : 0;
    const int dy = direction == Direction::Up ? -1 : direction == Direction::Down ? 1 : 0;
    const NavPoint here = points[from];
    size_t best = from;
    double bestScore = std::numeric_limits<double>::max();
    // Along the way and across it, for every other card.
    auto measure = [&](size_t i, double* along, double* across) {
        const double vx = points[i].x - here.x;
        const double vy = points[i].y - here.y;
        *along = vx * dx + vy * dy;
        *across = std::abs(vx * dy - vy * dx);
    };
    for (size_t i = 0; i < points.size(); ++i) {
        double along = 0;
        double across = 0;
        measure(i, &along, &across);
        // Within about 60 degrees of the arrow (tan 60 = 1.73).
        if (i == from || along <= 0 || across > 1.73 * along) {
            continue;
        }
        const double score = along + 2 * across;
        if (score < bestScore) {
            bestScore = score;
            best = i;
        }
    }
    if (best != from) {
        return best;
    }
    // Nothing that way: wrap to the far side, as nearly in line as possible.
    double farthest = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        double along = 0;
        double across = 0;
        measure(i, &along, &across);
        farthest = std::min(farthest, along);
    }
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == from) {
            continue;
        }
        double along = 0;
        double across = 0;
        measure(i, &along, &across);
        const double score = 2 * across + (along - farthest);
        if (score < bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

int NextUsable(int current, int step, int count, const std::function<bool(int)>& usable) {
    int i = current < 0 ? (step > 0 ? -1 : count) : current;
    for (int tries = 0; tries < count; ++tries) {
        i = ((i + step) % count + count) % count;
        if (usable(i)) {
            return i;
        }
    }
    return -1;
}

}  // namespace Gamespace
