// MemoryImage: stretching, sub-pixel placement, rotation, matrix and
// triangle drawing. Each maps destination pixels back into the source.

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/graphics/Blend.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelOps.h"

namespace Brisk {
namespace {

bool IsWhite(const Color& c) {
    return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255;
}

// Bounding box of points, grown to whole pixels.
Rect BoundingBox(const FPoint* pts, int count) {
    double x0 = pts[0].x, y0 = pts[0].y, x1 = pts[0].x, y1 = pts[0].y;
    for (int i = 1; i < count; ++i) {
        x0 = std::min(x0, pts[i].x);
        y0 = std::min(y0, pts[i].y);
        x1 = std::max(x1, pts[i].x);
        y1 = std::max(y1, pts[i].y);
    }
    const int ix = static_cast<int>(std::floor(x0));
    const int iy = static_cast<int>(std::floor(y0));
    return {ix, iy, static_cast<int>(std::ceil(x1)) - ix, static_cast<int>(std::ceil(y1)) - iy};
}

// Bilinear sample of premultiplied-free ARGB: channels weighted by alpha so
// that transparent neighbours do not darken edges.
uint32_t Bilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, double fx, double fy) {
    const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const uint32_t p[4] = {p00, p10, p01, p11};
    double a = 0, r = 0, g = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
        const double pa = (p[i] >> 24) * w[i];
        a += pa;
        r += ((p[i] >> 16) & 0xFF) * pa;
        g += ((p[i] >> 8) & 0xFF) * pa;
        b += (p[i] & 0xFF) * pa;
    }
    if (a <= 0) {
        return 0;
    }
    auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
    return (c(a) << 24) | (c(r / a) << 16) | (c(g / a) << 8) | c(b / a);
}

}  // namespace

template <typename Map>
void MemoryImage::MapPixels(MemoryImage* source, const Rect& area, const Rect& srcRect,
                            const Color& color, int mode, bool bilinear, Map map) {
    const Rect s = Intersect(srcRect, source->GetRect());
    const Rect d = Intersect(area, GetRect());
    if (IsEmpty(s) || IsEmpty(d) || color.mAlpha == 0) {
        return;
    }
    source->m_drawnFrom = true;
    source->EnsureReadable();
    GetBits();
    const int sx1 = s.x + s.width - 1;
    const int sy1 = s.y + s.height - 1;
    for (int y = d.y; y < d.y + d.height; ++y) {
        for (int x = d.x; x < d.x + d.width; ++x) {
            double u = 0;
            double v = 0;
            if (!map(x + 0.5, y + 0.5, &u, &v)) {
                continue;
            }
            if (u < s.x || v < s.y || u >= s.x + s.width || v >= s.y + s.height) {
                continue;
            }
            uint32_t px = 0;
            if (bilinear) {
                const double fu = u - 0.5;
                const double fv = v - 0.5;
                const int u0 = static_cast<int>(std::floor(fu));
                const int v0 = static_cast<int>(std::floor(fv));
                auto at = [&](int cx, int cy) {
                    return source->SourcePixel(std::clamp(cx, s.x, sx1), std::clamp(cy, s.y, sy1));
                };
                px = Bilinear(at(u0, v0), at(u0 + 1, v0), at(u0, v0 + 1), at(u0 + 1, v0 + 1),
                              fu - u0, fv - v0);
            } else {
                px = source->SourcePixel(static_cast<int>(u), static_cast<int>(v));
            }
            PlotPixel(x, y, px, color, mode);
        }
    }
    BitsChanged();
}

void MemoryImage::StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect,
                             const Rect& clip, const Color& color, int mode, bool fast) {
    MemoryImage* src = AsMemoryImage(source);
    if (src == nullptr || IsEmpty(destRect) || IsEmpty(srcRect)) {
        return;
    }
    const double sx = static_cast<double>(srcRect.width) / destRect.width;
    const double sy = static_cast<double>(srcRect.height) / destRect.height;
    const Rect area = Intersect(destRect, clip);
    if (fast && mode != kDrawModeAdditive && IsWhite(color)) {
        // Nearest source pixel, stepping by source / destination size.
        const Rect d = Intersect(area, GetRect());
        if (IsEmpty(d)) {
            return;
        }
        src->m_drawnFrom = true;
        src->EnsureReadable();
        uint32_t* bits = GetBits();
        // Source columns are the same for every row: work them out once.
        const Rect sBounds = src->GetRect();
        std::vector<int> columns(static_cast<size_t>(d.width));
        for (int x = d.x; x < d.x + d.width; ++x) {
            columns[static_cast<size_t>(x - d.x)] =
                srcRect.x + static_cast<int>((x - destRect.x) * sx);
        }
        const bool palette = src->IsPalettized();
        const bool opaqueDest = !HasTransparency() && !HasAlpha();
        // Columns inside the source; the row is gathered, then blended at once.
        int first = 0;
        int last = d.width;
        while (first < last && (columns[static_cast<size_t>(first)] < sBounds.x ||
                                columns[static_cast<size_t>(first)] >= sBounds.x + sBounds.width)) {
            ++first;
        }
        while (last > first &&
               (columns[static_cast<size_t>(last - 1)] < sBounds.x ||
                columns[static_cast<size_t>(last - 1)] >= sBounds.x + sBounds.width)) {
            --last;
        }
        std::vector<uint32_t> gathered(static_cast<size_t>(std::max(last - first, 0)));
        for (int y = d.y; y < d.y + d.height && first < last; ++y) {
            const int v = srcRect.y + static_cast<int>((y - destRect.y) * sy);
            if (v < sBounds.y || v >= sBounds.y + sBounds.height) {
                continue;
            }
            uint32_t* row = bits + static_cast<size_t>(y) * static_cast<size_t>(m_width) +
                            static_cast<size_t>(d.x);
            const uint32_t* srcRow =
                palette ? nullptr
                        : src->m_bits.data() +
                              static_cast<size_t>(v) * static_cast<size_t>(src->m_width);
            for (int i = first; i < last; ++i) {
                const int u = columns[static_cast<size_t>(i)];
                gathered[static_cast<size_t>(i - first)] =
                    palette ? src->SourcePixel(u, v) : srcRow[u];
            }
            if (opaqueDest) {
                detail::StretchRowOverOpaque(row + first, gathered.data(), last - first);
            } else {
                for (int i = first; i < last; ++i) {
                    row[i] = detail::OverAny(row[i], gathered[static_cast<size_t>(i - first)]);
                }
            }
        }
        BitsChanged();
        return;
    }
    MapPixels(src, area, srcRect, color, mode, !fast,
              [&](double x, double y, double* u, double* v) {
                  *u = srcRect.x + (x - destRect.x) * sx;
                  *v = srcRect.y + (y - destRect.y) * sy;
                  return true;
              });
}

void MemoryImage::StretchBltMirrored(Image* source, const Rect& destRect, const Rect& srcRect,
                                     const Rect& clip, const Color& color, int mode, bool fast) {
    MemoryImage* src = AsMemoryImage(source);
    if (src == nullptr || IsEmpty(destRect) || IsEmpty(srcRect)) {
        return;
    }
    const double sx = static_cast<double>(srcRect.width) / destRect.width;
    const double sy = static_cast<double>(srcRect.height) / destRect.height;
    MapPixels(src, Intersect(destRect, clip), srcRect, color, mode, !fast,
              [&](double x, double y, double* u, double* v) {
                  *u = srcRect.x + srcRect.width - (x - destRect.x) * sx;
                  *v = srcRect.y + (y - destRect.y) * sy;
                  return true;
              });
}

void MemoryImage::BltFloat(Image* source, double x, double y, const Rect& srcRect, const Rect& clip,
                           const Color& color, int mode) {
    MemoryImage* src = AsMemoryImage(source);
    if (src == nullptr) {
        return;
    }
    if (x == std::floor(x) && y == std::floor(y)) {
        const Rect area = Intersect(
            {static_cast<int>(x), static_cast<int>(y), srcRect.width, srcRect.height}, clip);
        if (!IsEmpty(area)) {
            BltGeneric(src, area.x, area.y,
                       {srcRect.x + area.x - static_cast<int>(x),
                        srcRect.y + area.y - static_cast<int>(y), area.width, area.height},
                       color, mode, false);
        }
        return;
    }
    const Rect area = Intersect({static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)),
                                 srcRect.width + 1, srcRect.height + 1},
                                clip);
    MapPixels(src, area, srcRect, color, mode, true,
              [&](double px, double py, double* u, double* v) {
                  *u = srcRect.x + (px - x);
                  *v = srcRect.y + (py - y);
                  return true;
              });
}

void MemoryImage::BltRotated(Image* source, double x, double y, const Rect& srcRect,
                             const Rect& clip, const Color& color, int mode, double angle,
                             double centerX, double centerY) {
    MemoryImage* src = AsMemoryImage(source);
    if (src == nullptr || IsEmpty(srcRect)) {
        return;
    }
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double px = x + centerX;  // pivot on the destination
    const double py = y + centerY;
    // Forward: screen rotation counter-clockwise (y points down).
    auto forward = [&](double sx, double sy) {
        const double dx = sx - centerX;
        const double dy = sy - centerY;
        return FPoint{px + dx * c + dy * s, py - dx * s + dy * c};
    };
    const FPoint corners[4] = {forward(0, 0), forward(srcRect.width, 0), forward(0, srcRect.height),
                               forward(srcRect.width, srcRect.height)};
    MapPixels(src, Intersect(BoundingBox(corners, 4), clip), srcRect, color, mode, true,
              [&](double dxp, double dyp, double* u, double* v) {
                  const double dx = dxp - px;
                  const double dy = dyp - py;
                  *u = srcRect.x + centerX + dx * c - dy * s;
                  *v = srcRect.y + centerY + dx * s + dy * c;
                  return true;
              });
}

void MemoryImage::BltTransformed(Image* source, double x, double y, const Matrix3& matrix,
                                 const Rect& clip, const Color& color, int mode,
                                 const Rect& srcRect, bool blend) {
    MemoryImage* src = AsMemoryImage(source);
    Matrix3 inverse;
    if (src == nullptr || IsEmpty(srcRect) || !matrix.Inverse(&inverse)) {
        return;
    }
    const double cx = srcRect.width / 2.0;
    const double cy = srcRect.height / 2.0;
    FPoint corners[4];
    const double xs[2] = {-cx, cx};
    const double ys[2] = {-cy, cy};
    for (int i = 0; i < 4; ++i) {
        const FPoint p = matrix.Apply(xs[i & 1], ys[i >> 1]);
        corners[i] = {p.x + x, p.y + y};
    }
    MapPixels(src, Intersect(BoundingBox(corners, 4), clip), srcRect, color, mode, blend,
              [&](double px, double py, double* u, double* v) {
                  const FPoint p = inverse.Apply(px - x, py - y);
                  *u = srcRect.x + cx + p.x;
                  *v = srcRect.y + cy + p.y;
                  return true;
              });
}

void MemoryImage::BltTriangles(Image* source, const TriVertex (*triangles)[3], int count,
                               const Rect& clip, const Color& color, int mode, double tx, double ty,
                               bool blend) {
    MemoryImage* src = AsMemoryImage(source);
    if (src == nullptr) {
        return;
    }
    for (int t = 0; t < count; ++t) {
        const TriVertex* v = triangles[t];
        const FPoint p[3] = {
            {v[0].x + tx, v[0].y + ty}, {v[1].x + tx, v[1].y + ty}, {v[2].x + tx, v[2].y + ty}};
        const double area =
            (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
        if (area == 0) {
            continue;
        }
        MapPixels(src, Intersect(BoundingBox(p, 3), clip), src->GetRect(), color, mode, blend,
                  [&](double x, double y, double* u, double* vv) {
                      // Barycentric weights; a pixel centre on an edge belongs to the triangle.
                      const double w0 =
                          ((p[1].x - x) * (p[2].y - y) - (p[2].x - x) * (p[1].y - y)) / area;
                      const double w1 =
                          ((p[2].x - x) * (p[0].y - y) - (p[0].x - x) * (p[2].y - y)) / area;
                      const double w2 = 1 - w0 - w1;
                      if (w0 < 0 || w1 < 0 || w2 < 0) {
                          return false;
                      }
                      *u = w0 * v[0].u + w1 * v[1].u + w2 * v[2].u;
                      *vv = w0 * v[0].v + w1 * v[1].v + w2 * v[2].v;
                      return true;
                  });
    }
}

}  // namespace Brisk
