#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace Brisk {

// The display's pixel format: bits per pixel, channel masks, and the tables
// that convert 8-bit channels into it. The default is 32-bit XRGB8888.
class NativeDisplay {
public:
    NativeDisplay() { SetFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF); }
    virtual ~NativeDisplay() = default;

    // A shared XRGB8888 description, for software drawing between memory images.
    static const NativeDisplay& Default();

    void SetFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    // An 0xAARRGGBB pixel in display format with its colour premultiplied by
    // alpha: c' = (c x (a + 1)) >> 8 per channel; alpha kept in bits 24..31.
    uint32_t ToNative(uint32_t argb) const {
        const uint32_t a = argb >> 24;
        const uint32_t r = (((argb >> 16) & 0xFF) * (a + 1)) >> 8;
        const uint32_t g = (((argb >> 8) & 0xFF) * (a + 1)) >> 8;
        const uint32_t b = ((argb & 0xFF) * (a + 1)) >> 8;
        return (a << 24) | m_redTable[r] | m_greenTable[g] | m_blueTable[b];
    }
    // Undoes ToNative: c = c' x 256 / (a + 1).
    uint32_t FromNative(uint32_t native) const;

    int GetBitsPerPixel() const { return m_bitsPerPixel; }
    bool IsXrgb8888() const {
        return m_bitsPerPixel == 32 && m_redMask == 0xFF0000 && m_greenMask == 0xFF00 &&
               m_blueMask == 0xFF;
    }

    int m_bitsPerPixel = 32;
    uint32_t m_redMask = 0, m_greenMask = 0, m_blueMask = 0;
    int m_redBits = 0, m_greenBits = 0, m_blueBits = 0;
    int m_redShift = 0, m_greenShift = 0, m_blueShift = 0;
    // 8-bit channel value v -> (v x mask / 255) & mask.
    std::array<uint32_t, 256> m_redTable{}, m_greenTable{}, m_blueTable{};
    // Saturating add per channel: entry i = min(i, max), for i in 0..2 max.
    std::vector<uint32_t> m_redAddTable, m_greenAddTable, m_blueAddTable;
};

}  // namespace Brisk
