// Stretching, rotation, matrices, triangles, polygons, lines and coverage.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "support/Canvas.h"

using Brisk::Color;
using Brisk::MemoryImage;
using Brisk::Rect;
using TestSupport::Canvas;

namespace {

// A source whose pixel (x, y) has colour x * 16 + y (opaque).
MemoryImage Gradient(int w, int h) {
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            px[static_cast<size_t>(y * w + x)] = 0xFF000000u | static_cast<uint32_t>(x * 16 + y);
        }
    }
    MemoryImage img;
    img.SetBits(px.data(), w, h);
    return img;
}

uint32_t At(MemoryImage& img, int x, int y) {
    return img.GetBits()[y * img.GetWidth() + x];
}

TEST(StretchBlt, FastStretchSamplesTheNearestSourcePixel) {
    MemoryImage src = Gradient(4, 4);
    MemoryImage dst = Canvas(8, 8);
    dst.StretchBlt(&src, {0, 0, 8, 8}, src.GetRect(), dst.GetRect(), Color::White, 0, true);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(At(dst, x, y), At(src, x / 2, y / 2)) << x << "," << y;
        }
    }
    // Shrinking steps by source / destination size and truncates.
    MemoryImage small = Canvas(3, 1);
    MemoryImage row = Gradient(7, 1);
    small.StretchBlt(&row, {0, 0, 3, 1}, row.GetRect(), small.GetRect(), Color::White, 0, true);
    EXPECT_EQ(At(small, 0, 0), At(row, 0, 0));
    EXPECT_EQ(At(small, 1, 0), At(row, 2, 0));  // 7 / 3 = 2.33 -> 2
    EXPECT_EQ(At(small, 2, 0), At(row, 4, 0));  // 4.67 -> 4
}

TEST(StretchBlt, SmoothStretchOfASolidImageStaysSolidAndRespectsTheClip) {
    MemoryImage src = Canvas(3, 3, 0xFF336699);
    MemoryImage dst = Canvas(10, 10);
    dst.StretchBlt(&src, {0, 0, 10, 10}, src.GetRect(), {0, 0, 5, 10}, Color::White, 0, false);
    EXPECT_EQ(At(dst, 4, 9), 0xFF336699u);
    EXPECT_EQ(At(dst, 0, 0), 0xFF336699u);
    EXPECT_EQ(At(dst, 5, 5), 0xFF000000u);
}

TEST(BltRotated, QuarterTurnMovesPixelsAroundTheCentre) {
    MemoryImage src = Gradient(3, 3);
    MemoryImage dst = Canvas(3, 3);
    // Counter-clockwise by 90 degrees about the centre (1.5, 1.5).
    dst.BltRotated(&src, 0, 0, src.GetRect(), dst.GetRect(), Color::White, 0, M_PI / 2, 1.5, 1.5);
    // The top-right source pixel ends up top-left, the top-left bottom-left.
    EXPECT_EQ(At(dst, 0, 0), At(src, 2, 0));
    EXPECT_EQ(At(dst, 0, 2), At(src, 0, 0));
    EXPECT_EQ(At(dst, 1, 1), At(src, 1, 1));
}

TEST(BltTransformed, IdentityMatrixEqualsAPlainBlit) {
    MemoryImage src = Gradient(5, 4);
    MemoryImage a = Canvas(9, 9);
    MemoryImage b = Canvas(9, 9);
    a.Blt(&src, 2, 3, src.GetRect(), Color::White, 0);
    // Placed by the source centre: (2 + 2.5, 3 + 2).
    b.BltTransformed(&src, 4.5, 5, Brisk::Matrix3{}, b.GetRect(), Color::White, 0, src.GetRect(),
                     false);
    EXPECT_EQ(std::vector<uint32_t>(a.GetBits(), a.GetBits() + 81),
              std::vector<uint32_t>(b.GetBits(), b.GetBits() + 81));
}

TEST(BltTriangles, TwoTrianglesCoverTheirRectangleOnce) {
    MemoryImage src = Gradient(4, 4);
    MemoryImage dst = Canvas(6, 6);
    const Brisk::TriVertex tris[2][3] = {
        {{1, 1, 0, 0}, {5, 1, 4, 0}, {1, 5, 0, 4}},
        {{5, 1, 4, 0}, {5, 5, 4, 4}, {1, 5, 0, 4}},
    };
    dst.BltTriangles(&src, tris, 2, dst.GetRect(), Color::White, 0, 0, 0, false);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
            ASSERT_EQ(At(dst, x, y), inside ? At(src, x - 1, y - 1) : 0xFF000000u) << x << "," << y;
        }
    }
}

TEST(FillPolygon, FillsPixelsWhoseCentresAreInside) {
    MemoryImage dst = Canvas(6, 6);
    const Brisk::FPoint square[4] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
    EXPECT_TRUE(dst.FillPolygon(square, 4, dst.GetRect(), Color::White, 0, 1, 0));
    int filled = 0;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (At(dst, x, y) == 0xFFFFFFFFu) {
                ++filled;
                EXPECT_TRUE(x >= 2 && x < 5 && y >= 1 && y < 4) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(filled, 9);
    EXPECT_FALSE(dst.FillPolygon(square, 2, dst.GetRect(), Color::White, 0, 0, 0));
}

TEST(DrawLine, IncludesBothEndsAndSmoothLinesStayNearTheirPath) {
    MemoryImage dst = Canvas(8, 8);
    dst.DrawLine(1, 1, 6, 3, Color::White, 0);
    EXPECT_EQ(At(dst, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(At(dst, 6, 3), 0xFFFFFFFFu);
    MemoryImage smooth = Canvas(8, 8);
    smooth.DrawLineSmooth(0.0, 2.5, 7.0, 2.5, Color::White, 0);
    for (int x = 0; x < 8; ++x) {
        EXPECT_NE(At(smooth, x, 2), 0xFF000000u);
        EXPECT_EQ(At(smooth, x, 5), 0xFF000000u);
    }
}

TEST(FillSpansCoverage, CoverageScalesTheAlpha) {
    MemoryImage dst = Canvas(4, 1, 0x00000000);
    const Brisk::Span span{0, 0, 4};
    const uint8_t coverage[4] = {0, 127, 255, 1};
    dst.FillSpansCoverage(&span, 1, Color(255, 255, 255, 255), 0, coverage, 0, 0, 4, 1);
    EXPECT_EQ(At(dst, 0, 0), 0u);          // 255 x (0 + 1) is below 256: untouched
    EXPECT_EQ(At(dst, 1, 0) >> 24, 127u);  // 255 x 128 >> 8
    EXPECT_EQ(At(dst, 2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(At(dst, 3, 0) >> 24, 1u);  // 255 x 2 >> 8
}

}  // namespace
