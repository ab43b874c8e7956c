// Scaling pictures with area averaging: every target pixel is the weighted
// mean of the source area it covers, colours averaged premultiplied.

#include <gtest/gtest.h>

#include <vector>

#include "framework/resources/ImageScale.h"

namespace {

ImageLib::Image Pixels(int width, int height, const std::vector<uint32_t>& pixels) {
    ImageLib::Image image(width, height);
    image.m_bits = pixels;
    return image;
}

struct ScaleCase {
    const char* what;
    int width, height;
    std::vector<uint32_t> source;
    int toWidth, toHeight;
    std::vector<uint32_t> expected;
};

class ResampleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ResampleTest, GivesTheAreaAverage) {
    const ScaleCase& c = GetParam();
    const ImageLib::Image out =
        ImageLib::Resample(Pixels(c.width, c.height, c.source), c.toWidth, c.toHeight);
    const bool empty = c.toWidth == 0 || c.toHeight == 0;
    ASSERT_EQ(out.GetWidth(), empty ? 0 : c.toWidth);
    ASSERT_EQ(out.GetHeight(), empty ? 0 : c.toHeight);
    for (size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(out.m_bits[i], c.expected[i])
            << "pixel " << i << std::hex << " is " << out.m_bits[i];
    }
}

constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;

INSTANTIATE_TEST_SUITE_P(
    ImageScale, ResampleTest,
    ::testing::Values(
        // Nearest-neighbour sampling would keep black or white.
        ScaleCase{"checkerboard_to_grey",
                  4,
                  2,
                  {kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack},
                  2,
                  1,
                  {0xFF808080, 0xFF808080}},
        // Three pixels into two: 2/3 and 1/3 of the middle one each.
        ScaleCase{"thirds", 3, 1, {kBlack, 0xFF969696, kWhite}, 2, 1, {0xFF323232, 0xFFDCDCDC}},
        // A transparent pixel lends no colour: half-covered red, not dark red.
        ScaleCase{"transparent_leaves_no_fringe", 2, 1, {0x00000000, kRed}, 1, 1, {0x80FF0000}},
        ScaleCase{"same_size_unchanged", 2, 1, {kRed, 0xFF123456}, 2, 1, {kRed, 0xFF123456}},
        // Growing: a tent between neighbours, edges held.
        ScaleCase{"grown", 2, 1, {kBlack, kWhite}, 4, 1, {kBlack, 0xFF404040, 0xFFBFBFBF, kWhite}},
        ScaleCase{"empty_target", 2, 1, {kBlack, kWhite}, 0, 1, {}}),
    [](const auto& info) { return std::string(info.param.what); });

struct FitCase {
    int width, height, box, fitWidth, fitHeight;
};

TEST(ImageScale, FitKeepsTheShapeInsideTheBox) {
    const FitCase cases[] = {{200, 100, 78, 78, 39},
                             {100, 400, 78, 19, 78},
                             {1, 1, 78, 78, 78},
                             {5000, 1, 78, 78, 1},
                             {0, 5, 78, 0, 0}};
    for (const FitCase& c : cases) {
        int w = -1;
        int h = -1;
        ImageLib::FitSize(c.width, c.height, c.box, c.box, &w, &h);
        EXPECT_EQ(w, c.fitWidth) << c.width << " x " << c.height;
        EXPECT_EQ(h, c.fitHeight) << c.width << " x " << c.height;
    }
}

}  // namespace
