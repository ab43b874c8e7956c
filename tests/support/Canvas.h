#pragma once

#include <cstdint>
#include <vector>

#include "framework/graphics/MemoryImage.h"

namespace TestSupport {

// A w x h image filled with one pixel value (opaque black by default).
inline Brisk::MemoryImage Canvas(int w, int h, uint32_t pixel = 0xFF000000) {
    Brisk::MemoryImage img;
    std::vector<uint32_t> px(static_cast<size_t>(w * h), pixel);
    img.SetBits(px.data(), w, h);
    return img;
}

}  // namespace TestSupport
