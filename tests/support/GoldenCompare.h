#pragma once

// Pictures compared with references kept under tests/golden/. A reference
// changes only when VQ_UPDATE_GOLDEN=1 is set: then the picture is written
// as the new reference (look at it before committing it).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"

namespace TestSupport {

// How far a pixel may stray and how many may: the art is generated at build
// time by FreeType and cairo, so another build of those libraries could move
// an edge by a shade; two builds on one machine give identical pictures,
// and a card moved by one pixel changes thousands.
inline constexpr int kGoldenChannelTolerance = 8;
inline constexpr double kGoldenPixelShare = 0.00005;  // about 40 pixels of a screen

inline bool UpdatingGoldens() {
    const char* update = std::getenv("VQ_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

// Empty when `picture` matches the reference at `path` (or was written as the
// new reference); otherwise what is wrong.
inline std::string CompareWithGolden(const ImageLib::Image& picture, const std::string& path) {
    if (UpdatingGoldens()) {
        return ImageLib::WritePNG(path, picture) ? "" : "cannot write " + path;
    }
    std::vector<uint8_t> bytes;
    if (!Brisk::ReadWholeFile(path, &bytes, ImageLib::kMaxImageFileBytes)) {
        return "no reference " + path + " (VQ_UPDATE_GOLDEN=1 writes it)";
    }
    const auto reference = ImageLib::DecodePNG(bytes.data(), bytes.size());
    if (reference == nullptr || reference->m_width != picture.m_width ||
        reference->m_height != picture.m_height) {
        return "the reference " + path + " is unreadable or of another size";
    }
    size_t differing = 0;
    int worst = 0;
    for (size_t i = 0; i < picture.m_bits.size(); ++i) {
        const uint32_t a = picture.m_bits[i];
        const uint32_t b = reference->m_bits[i];
        int d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
        }
        worst = std::max(worst, d);
        differing += d > kGoldenChannelTolerance ? 1 : 0;
    }
    if (static_cast<double>(differing) >
        kGoldenPixelShare * static_cast<double>(picture.m_bits.size())) {
        return std::to_string(differing) + " pixels differ by more than " +
               std::to_string(kGoldenChannelTolerance) + " (largest difference " +
               std::to_string(worst) + ") from " + path;
    }
    return "";
}

}  // namespace TestSupport
