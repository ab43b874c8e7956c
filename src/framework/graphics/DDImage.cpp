#include "framework/graphics/DDImage.h"

#include <algorithm>
#include <cstring>

#include "framework/graphics/Blend.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/PixelOps.h"

namespace Brisk {

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
    const bool additive = mode == kDrawModeAdditive;
    const uint32_t* native = src->GetNativeData(format);
    const uint8_t* runs = additive ? src->GetAdditiveRunTable(format) : src->GetRunTable(format);
    uint32_t* bits = GetBits();
    const int sx0 = s0.x + (d.x - dx0);
    for (int row = 0; row < d.height; ++row) {
        const size_t srcRow =
            static_cast<size_t>(s0.y + (d.y - dy0) + row) * static_cast<size_t>(src->GetWidth());
        const uint32_t* sp = native + srcRow;
        const uint8_t* rp = runs + srcRow;
        uint32_t* dp = bits + static_cast<size_t>(d.y + row) * static_cast<size_t>(m_width) +
                       static_cast<size_t>(d.x);
        int col = 0;
        while (col < d.width) {
            const int sx = sx0 + col;
            const int run = std::min<int>(rp[sx], d.width - col);
            if (additive) {
                if ((sp[sx] & 0x00FFFFFF) != 0) {
                    for (int i = 0; i < run; ++i) {
                        const uint32_t n = sp[sx + i];
                        dp[col + i] = detail::AddPixel(dp[col + i], (n >> 16) & 0xFF,
                                                       (n >> 8) & 0xFF, n & 0xFF);
                    }
                }
            } else {
                const uint32_t a = sp[sx] >> 24;
                if (a == 255) {
                    std::memcpy(dp + col, sp + sx, static_cast<size_t>(run) * 4);
                } else if (a != 0) {
                    detail::BlendRowNative(dp + col, sp + sx, run);
                }
            }
            col += run;
        }
    }
    BitsChanged();
}

}  // namespace Brisk
