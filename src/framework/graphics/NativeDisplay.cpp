#include "framework/graphics/NativeDisplay.h"

#include <algorithm>
#include <bit>

namespace Brisk {
namespace {

int LowestBit(uint32_t mask) {
    return mask == 0 ? 0 : std::countr_zero(mask);
}

std::vector<uint32_t> AddTable(int bits) {
    const uint32_t max = (1u << bits) - 1;
    std::vector<uint32_t> t(2 * max + 1);
    for (uint32_t i = 0; i < t.size(); ++i) {
        t[i] = std::min(i, max);
    }
    return t;
}

}  // namespace

const NativeDisplay& NativeDisplay::Default() {
    static const NativeDisplay display;
    return display;
}

void NativeDisplay::SetFormat(int bitsPerPixel, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask) {
    m_bitsPerPixel = bitsPerPixel;
    m_redMask = redMask;
    m_greenMask = greenMask;
    m_blueMask = blueMask;
    m_redBits = std::popcount(redMask);
    m_greenBits = std::popcount(greenMask);
    m_blueBits = std::popcount(blueMask);
    m_redShift = LowestBit(redMask);
    m_greenShift = LowestBit(greenMask);
    m_blueShift = LowestBit(blueMask);
    for (uint32_t v = 0; v < 256; ++v) {
        m_redTable[v] = static_cast<uint32_t>((uint64_t{v} * redMask / 255) & redMask);
        m_greenTable[v] = static_cast<uint32_t>((uint64_t{v} * greenMask / 255) & greenMask);
        m_blueTable[v] = static_cast<uint32_t>((uint64_t{v} * blueMask / 255) & blueMask);
    }
    m_redAddTable = AddTable(m_redBits);
    m_greenAddTable = AddTable(m_greenBits);
    m_blueAddTable = AddTable(m_blueBits);
}

uint32_t NativeDisplay::FromNative(uint32_t native) const {
    const uint32_t a = native >> 24;
    auto channel = [&](uint32_t mask, int shift, int bits) {
        const uint32_t max = (1u << bits) - 1;
        uint32_t v = ((native & mask) >> shift) * 255 / (max == 0 ? 1 : max);  // back to 8 bits
        v = v * 256 / (a + 1);
        return std::min<uint32_t>(v, 255);
    };
    return (a << 24) | (channel(m_redMask, m_redShift, m_redBits) << 16) |
           (channel(m_greenMask, m_greenShift, m_greenBits) << 8) |
           channel(m_blueMask, m_blueShift, m_blueBits);
}

}  // namespace Brisk
