#include <gtest/gtest.h>

#include "framework/platform/Presenter.h"

using Brisk::Platform::LetterboxRect;
using Brisk::Platform::Rect;

namespace {

struct LetterboxCase {
    int outW, outH;
    Rect expected;
};

class LetterboxTest : public ::testing::TestWithParam<LetterboxCase> {};

TEST_P(LetterboxTest, KeepsTheAspectAndCentres) {
    const auto c = GetParam();
    const Rect r = LetterboxRect(1024, 768, c.outW, c.outH);
    EXPECT_EQ(r.x, c.expected.x);
    EXPECT_EQ(r.y, c.expected.y);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(Outputs, LetterboxTest,
                         ::testing::Values(LetterboxCase{1024, 768, {0, 0, 1024, 768}},
                                           LetterboxCase{2048, 1536, {0, 0, 2048, 1536}},
                                           LetterboxCase{1920, 1080, {240, 0, 1440, 1080}},
                                           LetterboxCase{1024, 1000, {0, 116, 1024, 768}},
                                           LetterboxCase{0, 768, {0, 0, 0, 0}}));

}  // namespace
