// MemoryImage: fills, lines, polygons, coverage spans and straight blits.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/graphics/Blend.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelOps.h"

namespace Brisk {
namespace {

bool IsWhite(const Color& c) {
    return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255;
}

}  // namespace

void MemoryImage::PlotPixel(int x, int y, uint32_t src, const Color& color, int mode) {
    uint32_t* p = m_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(m_width) +
                  static_cast<size_t>(x);
    if (mode == kDrawModeAdditive) {
        // Saturating add; the source is weighted by its alpha unless opaque,
        // and by the colour (itself scaled by its alpha) unless white.
        const uint32_t a = src >> 24;
        const bool white = IsWhite(color);
        const uint32_t k = static_cast<uint32_t>(color.mAlpha);
        auto add = [&](int shift, int comp) {
            uint32_t v = (src >> shift) & 0xFF;
            if (!white) {
                v = ((static_cast<uint32_t>(comp) * k / 255) * v) >> 8;
            }
            return a == 255 ? v : (v * a) >> 8;
        };
        *p = detail::AddPixel(*p, add(16, color.mRed), add(8, color.mGreen), add(0, color.mBlue));
    } else if (IsWhite(color)) {
        *p = detail::OverAny(*p, src);
    } else {
        *p = detail::OverTinted(
            *p, src, static_cast<uint32_t>(color.mRed), static_cast<uint32_t>(color.mGreen),
            static_cast<uint32_t>(color.mBlue), static_cast<uint32_t>(color.mAlpha));
    }
}

void MemoryImage::FillRect(const Rect& rect, const Color& color, int /*mode*/) {
    const Rect r = Intersect(rect, GetRect());
    const auto a = static_cast<uint32_t>(color.mAlpha);
    if (IsEmpty(r) || a == 0) {
        return;
    }
    const bool opaqueDest = !HasTransparency() && !HasAlpha();
    uint32_t* bits = GetBits();
    const uint32_t c = color.ToInt();
    for (int y = r.y; y < r.y + r.height; ++y) {
        uint32_t* row =
            bits + static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(r.x);
        if (a == 255) {
            std::fill(row, row + r.width, c);
        } else if (opaqueDest) {
            detail::FillRowOverOpaque(row, r.width, c, a);
        } else {
            for (int x = 0; x < r.width; ++x) {
                row[x] = detail::FillPixel(row[x], c, a);
            }
        }
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect) {
    const Rect r = Intersect(rect, GetRect());
    if (IsEmpty(r)) {
        return;
    }
    uint32_t* bits = GetBits();
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::fill_n(
            bits + static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(r.x),
            r.width, 0u);
    }
    BitsChanged();
}

void MemoryImage::FillSpansCoverage(const Span* spans, int count, const Color& color, int /*mode*/,
                                    const uint8_t* coverage, int covX, int covY, int covWidth,
                                    int covHeight) {
    uint32_t* bits = GetBits();
    const uint32_t c = color.ToInt() & 0x00FFFFFF;
    for (int i = 0; i < count; ++i) {
        const Span& s = spans[i];
        if (s.y < 0 || s.y >= m_height || s.y - covY < 0 || s.y - covY >= covHeight) {
            continue;
        }
        const int x0 = std::max({s.x, 0, covX});
        const int x1 = std::min({s.x + s.width, m_width, covX + covWidth});
        uint32_t* row = bits + static_cast<size_t>(s.y) * static_cast<size_t>(m_width);
        const uint8_t* cov =
            coverage + static_cast<size_t>(s.y - covY) * static_cast<size_t>(covWidth);
        for (int x = x0; x < x1; ++x) {
            const uint32_t effective = static_cast<uint32_t>(color.mAlpha) * (cov[x - covX] + 1u);
            if (effective < 256) {
                continue;
            }
            const uint32_t a = effective >> 8;
            row[x] = a >= 255 ? (c | 0xFF000000u) : detail::FillPixel(row[x], c, a);
        }
    }
    BitsChanged();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                           int mode) {
    if (color.mAlpha == 0) {
        return;
    }
    // Bresenham between the rounded end points, both included.
    int ax = static_cast<int>(std::lround(x1));
    int ay = static_cast<int>(std::lround(y1));
    const int bx = static_cast<int>(std::lround(x2));
    const int by = static_cast<int>(std::lround(y2));
    const int dx = std::abs(bx - ax);
    const int dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    int err = dx + dy;
    GetBits();
    const uint32_t src = color.ToInt() | 0xFF000000u;
    const Color tint(255, 255, 255, color.mAlpha);
    for (;;) {
        if (ax >= 0 && ay >= 0 && ax < m_width && ay < m_height) {
            PlotPixel(ax, ay, src, tint, mode);
        }
        if (ax == bx && ay == by) {
            break;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            ax += sx;
        }
        if (e2 <= dx) {
            err += dx;
            ay += sy;
        }
    }
    BitsChanged();
}

void MemoryImage::DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color,
                                 int mode) {
    if (color.mAlpha == 0) {
        return;
    }
    // Anti-aliased line: two pixels per step, weighted by their distance.
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    GetBits();
    const double gradient = x2 - x1 == 0 ? 1.0 : (y2 - y1) / (x2 - x1);
    const uint32_t rgb = color.ToInt() & 0x00FFFFFF;
    auto plot = [&](int x, int y, double coverage) {
        if (steep) {
            std::swap(x, y);
        }
        const int a = static_cast<int>(coverage * color.mAlpha + 0.5);
        if (a <= 0 || x < 0 || y < 0 || x >= m_width || y >= m_height) {
            return;
        }
        PlotPixel(x, y, rgb | (static_cast<uint32_t>(std::min(a, 255)) << 24), Color::White, mode);
    };
    const int xStart = static_cast<int>(std::lround(x1));
    const int xEnd = static_cast<int>(std::lround(x2));
    for (int x = xStart; x <= xEnd; ++x) {
        const double y = y1 + gradient * (x - x1);
        const int yi = static_cast<int>(std::floor(y));
        const double frac = y - yi;
        plot(x, yi, 1.0 - frac);
        plot(x, yi + 1, frac);
    }
    BitsChanged();
}

bool MemoryImage::FillPolygon(const FPoint* vertices, int count, const Rect& clip,
                              const Color& color, int mode, int tx, int ty) {
    if (count < 3 || color.mAlpha == 0) {
        return false;
    }
    const Rect area = Intersect(clip, GetRect());
    if (IsEmpty(area)) {
        return true;
    }
    GetBits();
    const uint32_t src = color.ToInt();
    std::vector<double> xs;
    for (int y = area.y; y < area.y + area.height; ++y) {
        const double cy = y + 0.5;
        xs.clear();
        for (int i = 0; i < count; ++i) {
            const FPoint a{vertices[i].x + tx, vertices[i].y + ty};
            const FPoint b{vertices[(i + 1) % count].x + tx, vertices[(i + 1) % count].y + ty};
            if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy)) {
                xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
            }
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            const int x0 = std::max(area.x, static_cast<int>(std::ceil(xs[i] - 0.5)));
            const int x1 =
                std::min(area.x + area.width, static_cast<int>(std::ceil(xs[i + 1] - 0.5)));
            for (int x = x0; x < x1; ++x) {
                PlotPixel(x, y, src, Color::White, mode);
            }
        }
    }
    BitsChanged();
    return true;
}

void MemoryImage::Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                      int mode) {
    if (MemoryImage* src = AsMemoryImage(source)) {
        BltGeneric(src, x, y, srcRect, color, mode, false);
    }
}

void MemoryImage::BltMirrored(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                              int mode) {
    if (MemoryImage* src = AsMemoryImage(source)) {
        BltGeneric(src, x, y, srcRect, color, mode, true);
    }
}

void MemoryImage::BltGeneric(MemoryImage* src, int x, int y, const Rect& srcRect,
                             const Color& color, int mode, bool mirror) {
    src->m_drawnFrom = true;
    // Clip the source to its image, then the destination to this image.
    const Rect s0 = Intersect(srcRect, src->GetRect());
    if (IsEmpty(s0)) {
        return;
    }
    const int dx0 =
        mirror ? x + (srcRect.x + srcRect.width - (s0.x + s0.width)) : x + (s0.x - srcRect.x);
    const int dy0 = y + (s0.y - srcRect.y);
    const Rect d = Intersect({dx0, dy0, s0.width, s0.height}, GetRect());
    if (IsEmpty(d) || color.mAlpha == 0) {
        return;
    }
    // Source column of destination column dcol: left to right, or mirrored.
    const int srcY = s0.y + (d.y - dy0);
    auto srcX = [&](int dcol) {
        return mirror ? s0.x + s0.width - 1 - (dcol - dx0) : s0.x + (dcol - dx0);
    };
    src->EnsureReadable();
    uint32_t* bits = GetBits();
    // Every drawn pixel in turn: op(destination pixel, source pixel); `op`
    // must leave the destination as it is for a fully transparent source
    // pixel, which an unmirrored palette source skips.
    auto eachPixel = [&](auto op) {
        for (int row = 0; row < d.height; ++row) {
            uint32_t* dp = bits + static_cast<size_t>(d.y + row) * static_cast<size_t>(m_width);
            if (!mirror && src->IsPalettized()) {
                const uint8_t* ip =
                    src->GetColorIndices() +
                    static_cast<size_t>(srcY + row) * static_cast<size_t>(src->m_width) +
                    static_cast<size_t>(srcX(d.x));
                const uint32_t* palette = src->GetPalette();
                for (int i = 0; i < d.width; ++i) {
                    const uint32_t p = palette[ip[i]];
                    if ((p >> 24) != 0) {
                        op(dp[d.x + i], p);
                    }
                }
                continue;
            }
            for (int col = d.x; col < d.x + d.width; ++col) {
                op(dp[col], src->SourcePixel(srcX(col), srcY + row));
            }
        }
    };
    // The drawn rows by the source's runs (needs plain, unmirrored source
    // bits): long transparent runs are skipped, long opaque runs go to
    // copy(dst, src, count), the rest to blend(dst, src, count).
    auto eachRun = [&](auto copy, auto blend) {
        const uint8_t* runs = src->GetRunTable(NativeDisplay::Default());
        for (int row = 0; row < d.height; ++row) {
            const size_t srcOffset =
                static_cast<size_t>(srcY + row) * static_cast<size_t>(src->m_width) +
                static_cast<size_t>(srcX(d.x));
            const uint32_t* sp = src->m_bits.data() + srcOffset;
            uint32_t* dp = bits + static_cast<size_t>(d.y + row) * static_cast<size_t>(m_width) +
                           static_cast<size_t>(d.x);
            detail::WalkRow(
                sp, runs + srcOffset, d.width,
                [&](int i, int count) { copy(dp + i, sp + i, count); },
                [&](int i, int count) { blend(dp + i, sp + i, count); });
        }
    };
    const bool runsUsable = !mirror && !src->IsPalettized();

    if (mode != kDrawModeAdditive && IsWhite(color) && !HasTransparency() && !HasAlpha()) {
        // Opaque destination: opaque source pixels are copied (without
        // arithmetic, by runs), partial ones blended, transparent ones skipped.
        if (runsUsable) {
            eachRun([](uint32_t* dp, const uint32_t* sp,
                       int count) { std::memcpy(dp, sp, static_cast<size_t>(count) * 4); },
                    [](uint32_t* dp, const uint32_t* sp, int count) {
                        detail::BlendRowOverOpaque(dp, sp, count);
                    });
        } else {
            eachPixel(
                [](uint32_t& dp, uint32_t p) { detail::BlendRowOverOpaqueScalar(&dp, &p, 1); });
        }
        BitsChanged();
        return;
    }
    if (mode != kDrawModeAdditive && !IsWhite(color)) {
        // A tinted source (text in a colour, mostly): long transparent runs
        // of the source are skipped.
        const auto r = static_cast<uint32_t>(color.mRed);
        const auto g = static_cast<uint32_t>(color.mGreen);
        const auto b = static_cast<uint32_t>(color.mBlue);
        const auto k = static_cast<uint32_t>(color.mAlpha);
        auto tint = [&](uint32_t* dp, const uint32_t* sp, int count) {
            for (int j = 0; j < count; ++j) {
                dp[j] = detail::OverTinted(dp[j], sp[j], r, g, b, k);
            }
        };
        if (runsUsable) {
            eachRun(tint, tint);
        } else {
            eachPixel([&](uint32_t& dp, uint32_t p) { tint(&dp, &p, 1); });
        }
        BitsChanged();
        return;
    }
    for (int row = 0; row < d.height; ++row) {
        for (int col = 0; col < d.width; ++col) {
            PlotPixel(d.x + col, d.y + row, src->SourcePixel(srcX(d.x + col), srcY + row), color,
                      mode);
        }
    }
    BitsChanged();
}

}  // namespace Brisk
