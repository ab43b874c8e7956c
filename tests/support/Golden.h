#pragma once

// Whole screens of a test compared with their reference pictures.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/GoldenCompare.h"

namespace TestSupport {

// Compares `pixels` (0x?RRGGBB, alpha ignored) with tests/golden/<name>.png.
inline void ExpectMatchesGolden(const std::string& name, const uint32_t* pixels, int width,
                                int height) {
    ImageLib::Image picture(width, height);
    for (size_t i = 0; i < picture.m_bits.size(); ++i) {
        picture.m_bits[i] = pixels[i] | 0xFF000000u;
    }
    const std::string problem =
        CompareWithGolden(picture, std::string(VQ_GOLDEN_DIR) + "/" + name + ".png");
    EXPECT_TRUE(problem.empty()) << name << ": " << problem;
}

}  // namespace TestSupport
