#include "framework/graphics/DDImage.h"

#include <algorithm>
#include <cstring>

#include "framework/graphics/Blend.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/PixelOps.h"

namespace Brisk {
namespace {
constexpr int kShortRow = 128;  // rows up to this width are blended whole
}  // namespace

DDImage::DDImage(DDInterface* display) : m_display(display) {
    if (m_display != nullptr) {
        m_display->RegisterImage(this);
    }
}

DDImage::~DDImage() {
    if (m_display != nullptr) {
        m_display->UnregisterImage(this);
    }
}

void DDImage::Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int mode) {
    MemoryImage* src = AsMemoryImage(source);
    const NativeDisplay& format = m_display != nullptr
                                      ? static_cast<const NativeDisplay&>(*m_display)
                                      : NativeDisplay::Default();
    const bool white = color == Color::White;
    if (src == nullptr || !white || !format.IsXrgb8888() || HasTransparency() || HasAlpha()) {
        MemoryImage::Blt(source, x, y, srcRect, color, mode);
        return;
    }
    const Rect s0 = Intersect(srcRect, src->GetRect());
    if (IsEmpty(s0)) {
        return;
    }
    const int dx0 = x + (s0.x - srcRect.x);
    const int dy0 = y + (s0.y - srcRect.y);
    const Rect d = Intersect({dx0, dy0, s0.width, s0.height}, GetRect());
    if (IsEmpty(d)) {
        return;
    }
    src->m_drawnFrom = true;
    uint32_t* bits = GetBits();
    const int sx0 = s0.x + (d.x - dx0);
    const int sy0 = s0.y + (d.y - dy0);
    auto destRow = [&](int row) {
        return bits + static_cast<size_t>(d.y + row) * static_cast<size_t>(m_width) +
               static_cast<size_t>(d.x);
    };
    auto sourceOffset = [&](int row) {
        return static_cast<size_t>(sy0 + row) * static_cast<size_t>(src->GetWidth()) +
               static_cast<size_t>(sx0);
    };

    if (mode != kDrawModeAdditive && !src->HasTransparency() && !src->HasAlpha() &&
        !src->IsPalettized()) {
        // An opaque source is copied row by row.
        const uint32_t* sp = src->GetBits();
        for (int row = 0; row < d.height; ++row) {
            std::memcpy(destRow(row), sp + sourceOffset(row), static_cast<size_t>(d.width) * 4);
        }
        BitsChanged();
        return;
    }

    const bool additive = mode == kDrawModeAdditive;
    const uint32_t* native = src->GetNativeData(format);
    const uint8_t* runs = additive ? src->GetAdditiveRunTable(format) : src->GetRunTable(format);
    for (int row = 0; row < d.height; ++row) {
        const uint32_t* sp = native + sourceOffset(row);
        const uint8_t* rp = runs + sourceOffset(row);
        uint32_t* dp = destRow(row);
        if (additive) {
            int col = 0;
            while (col < d.width) {
                const int run = std::min<int>(rp[col], d.width - col);
                if ((sp[col] & 0x00FFFFFF) != 0) {
                    for (int i = col; i < col + run; ++i) {
                        const uint32_t n = sp[i];
                        dp[i] =
                            detail::AddPixel(dp[i], (n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF);
                    }
                }
                col += run;
            }
            continue;
        }
        if (d.width <= kShortRow) {
            // Too short for runs to pay: the blend handles every alpha exactly.
            detail::BlendRowNativeGroups(dp, sp, d.width);
            continue;
        }
        detail::WalkRow(
            sp, rp, d.width,
            [&](int i, int count) { std::memcpy(dp + i, sp + i, static_cast<size_t>(count) * 4); },
            [&](int i, int count) { detail::BlendRowNative(dp + i, sp + i, count); });
    }
    BitsChanged();
}

}  // namespace Brisk
