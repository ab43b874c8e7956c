#pragma once

#include <cstdint>

namespace Brisk {

// A colour of the framework: red, green, blue and alpha, each 0..255.
struct Color {
    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;

    constexpr Color() = default;
    constexpr Color(int r, int g, int b, int a = 255) : mRed(r), mGreen(g), mBlue(b), mAlpha(a) {}
    // From a packed 0xAARRGGBB value.
    static constexpr Color FromInt(uint32_t argb) {
        return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                static_cast<int>(argb & 0xFF), static_cast<int>(argb >> 24)};
    }
    // Packed as (alpha << 24) | (red << 16) | (green << 8) | blue.
    constexpr uint32_t ToInt() const {
        return (static_cast<uint32_t>(mAlpha & 0xFF) << 24) |
               (static_cast<uint32_t>(mRed & 0xFF) << 16) |
               (static_cast<uint32_t>(mGreen & 0xFF) << 8) | static_cast<uint32_t>(mBlue & 0xFF);
    }
    constexpr bool operator==(const Color&) const = default;

    static const Color White;
    static const Color Black;
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Black{0, 0, 0, 255};

}  // namespace Brisk
