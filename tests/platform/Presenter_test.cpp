#include <gtest/gtest.h>

#include <cstring>

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

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/platform/Video.h"
#include "framework/platform/Window.h"

namespace {

using Brisk::Platform::Presenter;

// The video system on the headless driver for the test's lifetime, and a
// window in it.
class HeadlessWindow {
public:
    HeadlessWindow(int width, int height) {
        if (Brisk::Platform::InitVideo().status != Brisk::Platform::VideoStatus::Ok) {
            return;
        }
        m_started = true;
        Brisk::Platform::WindowParams params;
        params.title = "presenter";
        params.clientWidth = width;
        params.clientHeight = height;
        std::string error;
        window = Brisk::Platform::Window::Create(params, &error);
    }
    ~HeadlessWindow() {
        window.reset();
        if (m_started) {
            Brisk::Platform::ShutdownVideo();
        }
    }
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    SDL_Window* Sdl() const { return static_cast<SDL_Window*>(window->NativeHandle()); }
    // The window surface's pixel as 0xRRGGBB.
    uint32_t Shown(int x, int y) const {
        SDL_Surface* shown = SDL_GetWindowSurface(Sdl());
        if (shown == nullptr || x >= shown->w || y >= shown->h) {
            return 0xDEADBEEF;
        }
        const auto* row = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch;
        Uint32 raw = 0;
        std::memcpy(&raw, row + x * shown->format->BytesPerPixel, shown->format->BytesPerPixel);
        Uint8 r = 0, g = 0, b = 0;
        SDL_GetRGB(raw, shown->format, &r, &g, &b);
        return static_cast<uint32_t>((r << 16) | (g << 8) | b);
    }

    std::unique_ptr<Brisk::Platform::Window> window;

private:
    bool m_started = false;
};

// The real presenter on the headless driver: a frame shown in a window that
// was made wider keeps its shape, with black bars at the sides.
TEST(Presenter, ResizedWindowShowsTheFrameLetterboxed) {
    HeadlessWindow w(640, 480);
    ASSERT_NE(w.window, nullptr);
    SDL_SetWindowSize(w.Sdl(), 1000, 480);
    std::string error;
    auto presenter = Presenter::Create(*w.window, 640, 480, Presenter::Kind::Software, &error);
    ASSERT_NE(presenter, nullptr) << error;
    EXPECT_EQ(presenter->PresentationRect(), (Rect{180, 0, 640, 480}));

    std::vector<uint32_t> frame(640 * 480, 0xFFFFFFFF);
    ASSERT_TRUE(presenter->Present(frame.data(), 640 * 4));
    EXPECT_EQ(w.Shown(0, 10), 0x000000u);
    EXPECT_EQ(w.Shown(179, 479), 0x000000u);
    EXPECT_EQ(w.Shown(180, 0), 0xFFFFFFu);
    EXPECT_EQ(w.Shown(819, 479), 0xFFFFFFu);
    EXPECT_EQ(w.Shown(820, 200), 0x000000u);
}

// The presentation paths that need no graphics device, by name.
class PresenterKindTest : public ::testing::TestWithParam<Presenter::Kind> {
protected:
    std::unique_ptr<Presenter> Make(const HeadlessWindow& w, int width, int height) {
        std::string error;
        auto presenter = Presenter::Create(*w.window, width, height, GetParam(), &error);
        EXPECT_NE(presenter, nullptr) << error;
        return presenter;
    }
};
const auto kSoftwareKinds =
    ::testing::Values(Presenter::Kind::Software, Presenter::Kind::WindowSurface);
std::string KindName(const ::testing::TestParamInfo<Presenter::Kind>& info) {
    return info.param == Presenter::Kind::Software ? "Software" : "WindowSurface";
}

// A picture shown at another size is filtered (one-pixel stripes become an
// even grey at half size, never a row of black or white) and shown as it is
// at its own size. Both presentation paths.
class ScalingTest : public PresenterKindTest {};

TEST_P(ScalingTest, AScaledPictureIsFilteredAndANativeOneIsExact) {
    HeadlessWindow w(320, 240);
    ASSERT_NE(w.window, nullptr);
    auto presenter = Make(w, 640, 480);
    ASSERT_NE(presenter, nullptr);
    std::vector<uint32_t> stripes(640 * 480);
    for (size_t i = 0; i < stripes.size(); ++i) {
        stripes[i] = (i % 2 == 0) ? 0xFF000000u : 0xFFFFFFFFu;
    }
    ASSERT_TRUE(presenter->Present(stripes.data(), 640 * 4));
    for (int x = 20; x < 300; x += 37) {
        const uint32_t grey = w.Shown(x, 120) & 0xFF;
        EXPECT_GT(grey, 0x30u) << "x " << x;
        EXPECT_LT(grey, 0xD0u) << "x " << x;
    }
    SDL_SetWindowSize(w.Sdl(), 640, 480);
    ASSERT_TRUE(presenter->Present(stripes.data(), 640 * 4));
    EXPECT_EQ(w.Shown(100, 100), 0x000000u);
    EXPECT_EQ(w.Shown(101, 100), 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ScalingTest, kSoftwareKinds, KindName);

// Showing the last picture again takes no pixels: it holds while the output
// keeps its size, and is refused (nothing shown) before the first picture and
// after a resize, so the caller hands the pixels over instead.
class PresentAgainTest : public PresenterKindTest {};

TEST_P(PresentAgainTest, ShowsTheLastPictureUntilTheOutputChangesSize) {
    HeadlessWindow w(320, 240);
    ASSERT_NE(w.window, nullptr);
    auto presenter = Make(w, 320, 240);
    ASSERT_NE(presenter, nullptr);
    EXPECT_FALSE(presenter->PresentAgain());

    std::vector<uint32_t> frame(320 * 240, 0xFF336699);
    ASSERT_TRUE(presenter->Present(frame.data(), 320 * 4));
    EXPECT_EQ(presenter->UploadCount(), 1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(presenter->PresentAgain());
    }
    EXPECT_EQ(presenter->UploadCount(), 1);
    EXPECT_EQ(w.Shown(160, 120), 0x336699u);

    SDL_SetWindowSize(w.Sdl(), 400, 240);
    EXPECT_FALSE(presenter->PresentAgain());
    ASSERT_TRUE(presenter->Present(frame.data(), 320 * 4));
    EXPECT_TRUE(presenter->PresentAgain());
    EXPECT_EQ(presenter->UploadCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PresentAgainTest, kSoftwareKinds, KindName);

}  // namespace
