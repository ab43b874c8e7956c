#pragma once

#include <algorithm>

#include "framework/platform/Video.h"

namespace Brisk {

// x, y, width, height; right and bottom edges exclusive.
using Rect = Platform::Rect;

struct Point {
    int x = 0;
    int y = 0;
};

struct FPoint {
    double x = 0;
    double y = 0;
};

inline bool IsEmpty(const Rect& r) {
    return r.width <= 0 || r.height <= 0;
}

inline Rect Intersect(const Rect& a, const Rect& b) {
    const int x0 = std::max(a.x, b.x);
    const int y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0) {
        return {x0, y0, 0, 0};
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect Union(const Rect& a, const Rect& b) {
    if (IsEmpty(a)) {
        return b;
    }
    if (IsEmpty(b)) {
        return a;
    }
    const int x0 = std::min(a.x, b.x);
    const int y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

inline bool Contains(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// A 3 x 3 matrix for affine transforms of points (x, y, 1): m[row][col].
struct Matrix3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    FPoint Apply(double x, double y) const {
        const double w = m[2][0] * x + m[2][1] * y + m[2][2];
        const double iw = w != 0 ? 1.0 / w : 0.0;
        return {(m[0][0] * x + m[0][1] * y + m[0][2]) * iw,
                (m[1][0] * x + m[1][1] * y + m[1][2]) * iw};
    }
    // The inverse, or false when the matrix is singular.
    bool Inverse(Matrix3* out) const;
};

// A vertex of a textured triangle: position and source texture coordinate
// (u, v in source pixels).
struct TriVertex {
    double x = 0;
    double y = 0;
    double u = 0;
    double v = 0;
};

// A horizontal run of pixels.
struct Span {
    int y = 0;
    int x = 0;
    int width = 0;
};

}  // namespace Brisk
