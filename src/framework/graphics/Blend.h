#pragma once

// The per-pixel formulas of software drawing. Pixels are 0xAARRGGBB; red and
// blue are computed together in one word (mask 0x00FF00FF), green apart.

#include <cstdint>

namespace Brisk::detail {

inline constexpr uint32_t kRB = 0x00FF00FF;
inline constexpr uint32_t kG = 0x0000FF00;

// Alpha of `src` over a destination of alpha `d`, and the weight (0..256) of
// the source in the result: A = d + (255 - d) a / 255, w = a 256 / A.
struct Coverage {
    uint32_t alpha;
    uint32_t weight;
};
inline Coverage Over(uint32_t d, uint32_t a) {
    if (d == 255) {
        return {255, a * 256 / 255};  // the same values, without the division by A
    }
    const uint32_t A = d + (255 - d) * a / 255;
    return {A, A == 0 ? 0 : a * 256 / A};
}

// Mixes two pixels' colours with weight w (0..256) for `src`, result alpha A.
inline uint32_t Mix(uint32_t dst, uint32_t src, uint32_t w, uint32_t A) {
    const uint32_t iw = 256 - w;
    const uint32_t rb = ((((dst & kRB) * iw) >> 8) & kRB) + ((((src & kRB) * w) >> 8) & kRB);
    const uint32_t g = (((src & kG) * w + (dst & kG) * iw) >> 8) & kG;
    return (A << 24) | rb | g;
}

// Mixes with weight w (0..256), summing before the shift in every channel.
inline uint32_t MixSum(uint32_t dst, uint32_t src, uint32_t w, uint32_t A) {
    const uint32_t iw = 256 - w;
    const uint32_t rb = (((src & kRB) * w + (dst & kRB) * iw) >> 8) & kRB;
    const uint32_t g = (((src & kG) * w + (dst & kG) * iw) >> 8) & kG;
    return (A << 24) | rb | g;
}

// A colour of alpha a (1..254) filled over any destination.
inline uint32_t FillPixel(uint32_t dst, uint32_t color, uint32_t a) {
    const Coverage c = Over(dst >> 24, a);
    return MixSum(dst, color, c.weight, c.alpha);
}

// Normal blend over an opaque destination (source alpha 1..254); opaque result.
inline uint32_t OverOpaque(uint32_t dst, uint32_t src) {
    const uint32_t a = src >> 24;
    const uint32_t iw = 256 - a;
    const uint32_t rb = ((((dst & kRB) * iw) >> 8) & kRB) + ((((src & kRB) * a) >> 8) & kRB);
    const uint32_t g = ((((dst & kG) * iw) >> 8) & kG) + ((((src & kG) * a) >> 8) & kG);
    return 0xFF000000u | rb | g;
}

// Normal blend of a white-coloured source pixel over any destination.
inline uint32_t OverAny(uint32_t dst, uint32_t src) {
    const uint32_t a = src >> 24;
    if (a == 0) {
        return dst;
    }
    if (a == 255) {
        return src;
    }
    const Coverage c = Over(dst >> 24, a);
    return Mix(dst, src, c.weight, c.alpha);
}

// OverAny when the destination is opaque: then A = 255 and w = a.
inline uint32_t OverAnyOnOpaque(uint32_t dst, uint32_t src) {
    const uint32_t a = src >> 24;
    if (a == 0) {
        return dst;
    }
    return a == 255 ? src : Mix(dst, src, a, 255);
}

// Normal blend of a source pixel tinted by colour (r, g, b, k).
inline uint32_t OverTinted(uint32_t dst, uint32_t src, uint32_t r, uint32_t g, uint32_t b,
                           uint32_t k) {
    const uint32_t m = k * (src >> 24) / 255;
    if (m == 0) {
        return dst;
    }
    const Coverage c = Over(dst >> 24, m);
    const uint32_t w = c.weight;
    const uint32_t iw = 256 - w;
    auto ch = [&](int shift, uint32_t comp) {
        const uint32_t s = (((src >> shift) & 0xFF) * comp) >> 8;
        const uint32_t d = (dst >> shift) & 0xFF;
        return (((s * w) >> 8) + ((d * iw) >> 8)) << shift;
    };
    return (c.alpha << 24) | ch(16, r) | ch(8, g) | ch(0, b);
}

// Additive drawing: saturating per channel, destination alpha kept. `src`
// is already scaled (by alpha and colour) per channel.
inline uint32_t AddPixel(uint32_t dst, uint32_t r, uint32_t g, uint32_t b) {
    auto sat = [](uint32_t v) { return v > 255 ? 255u : v; };
    return (dst & 0xFF000000u) | (sat(((dst >> 16) & 0xFF) + r) << 16) |
           (sat(((dst >> 8) & 0xFF) + g) << 8) | sat((dst & 0xFF) + b);
}

// The display path: a premultiplied source over an opaque XRGB destination.
inline uint32_t OverNative(uint32_t dst, uint32_t native) {
    const uint32_t ia = 256 - (native >> 24);
    return native + ((((dst & kRB) * ia) >> 8) & kRB) + ((((dst & kG) * ia) >> 8) & kG);
}

}  // namespace Brisk::detail
