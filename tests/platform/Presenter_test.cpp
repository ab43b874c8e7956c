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

#include <vector>

#include "framework/platform/Video.h"
#include "framework/platform/Window.h"

namespace {

// The real presenter on the headless driver: a frame shown in a window that
// was made wider keeps its shape, with black bars at the sides.
TEST(Presenter, ResizedWindowShowsTheFrameLetterboxed) {
    ASSERT_EQ(Brisk::Platform::InitVideo().status, Brisk::Platform::VideoStatus::Ok);
    {
        Brisk::Platform::WindowParams params;
        params.title = "letterbox";
        params.clientWidth = 640;
        params.clientHeight = 480;
        std::string error;
        auto window = Brisk::Platform::Window::Create(params, &error);
        ASSERT_NE(window, nullptr) << error;
        auto* sdlWindow = static_cast<SDL_Window*>(window->NativeHandle());
        SDL_SetWindowSize(sdlWindow, 1000, 480);
        auto presenter = Brisk::Platform::Presenter::Create(
            *window, 640, 480, Brisk::Platform::Presenter::Kind::Software, &error);
        ASSERT_NE(presenter, nullptr) << error;
        EXPECT_EQ(presenter->PresentationRect(), (Rect{180, 0, 640, 480}));

        std::vector<uint32_t> frame(640 * 480, 0xFFFFFFFF);
        ASSERT_TRUE(presenter->Present(frame.data(), 640 * 4));
        SDL_Surface* shown = SDL_GetWindowSurface(sdlWindow);
        ASSERT_NE(shown, nullptr);
        ASSERT_EQ(shown->w, 1000);
        auto pixel = [&](int x, int y) {
            Uint8 r = 0, g = 0, b = 0;
            const auto* row = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch;
            Uint32 raw = 0;
            std::memcpy(&raw, row + x * shown->format->BytesPerPixel, shown->format->BytesPerPixel);
            SDL_GetRGB(raw, shown->format, &r, &g, &b);
            return (r << 16) | (g << 8) | b;
        };
        EXPECT_EQ(pixel(0, 10), 0x000000);
        EXPECT_EQ(pixel(179, 479), 0x000000);
        EXPECT_EQ(pixel(180, 0), 0xFFFFFF);
        EXPECT_EQ(pixel(819, 479), 0xFFFFFF);
        EXPECT_EQ(pixel(820, 200), 0x000000);
    }
    Brisk::Platform::ShutdownVideo();
}

// Showing the last picture again takes no pixels: it holds while the output
// keeps its size, and is refused (nothing shown) before the first picture and
// after a resize, so the caller hands the pixels over instead.
class PresentAgainTest : public ::testing::TestWithParam<Brisk::Platform::Presenter::Kind> {};

TEST_P(PresentAgainTest, ShowsTheLastPictureUntilTheOutputChangesSize) {
    ASSERT_EQ(Brisk::Platform::InitVideo().status, Brisk::Platform::VideoStatus::Ok);
    {
        Brisk::Platform::WindowParams params;
        params.title = "again";
        params.clientWidth = 320;
        params.clientHeight = 240;
        std::string error;
        auto window = Brisk::Platform::Window::Create(params, &error);
        ASSERT_NE(window, nullptr) << error;
        auto* sdlWindow = static_cast<SDL_Window*>(window->NativeHandle());
        auto presenter = Brisk::Platform::Presenter::Create(*window, 320, 240, GetParam(), &error);
        ASSERT_NE(presenter, nullptr) << error;
        EXPECT_FALSE(presenter->PresentAgain());

        std::vector<uint32_t> frame(320 * 240, 0xFF336699);
        ASSERT_TRUE(presenter->Present(frame.data(), 320 * 4));
        EXPECT_EQ(presenter->UploadCount(), 1);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(presenter->PresentAgain());
        }
        EXPECT_EQ(presenter->UploadCount(), 1);
        SDL_Surface* shown = SDL_GetWindowSurface(sdlWindow);
        ASSERT_NE(shown, nullptr);
        Uint32 raw = 0;
        std::memcpy(&raw,
                    static_cast<const uint8_t*>(shown->pixels) + 120 * shown->pitch +
                        160 * shown->format->BytesPerPixel,
                    shown->format->BytesPerPixel);
        Uint8 r = 0, g = 0, b = 0;
        SDL_GetRGB(raw, shown->format, &r, &g, &b);
        EXPECT_EQ((r << 16) | (g << 8) | b, 0x336699);

        SDL_SetWindowSize(sdlWindow, 400, 240);
        EXPECT_FALSE(presenter->PresentAgain());
        ASSERT_TRUE(presenter->Present(frame.data(), 320 * 4));
        EXPECT_TRUE(presenter->PresentAgain());
        EXPECT_EQ(presenter->UploadCount(), 2);
    }
    Brisk::Platform::ShutdownVideo();
}

INSTANTIATE_TEST_SUITE_P(Kinds, PresentAgainTest,
                         ::testing::Values(Brisk::Platform::Presenter::Kind::Software,
                                           Brisk::Platform::Presenter::Kind::WindowSurface),
                         [](const auto& info) {
                             return info.param == Brisk::Platform::Presenter::Kind::Software
                                        ? "Software"
                                        : "WindowSurface";
                         });

}  // namespace
