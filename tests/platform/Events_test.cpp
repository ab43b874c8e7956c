// Translation of SDL events into window messages, through the real SDL
// event queue with the headless video driver.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>

#include "framework/platform/Events.h"
#include "framework/platform/SdlKeys.h"
#include "framework/platform/Video.h"
#include "framework/platform/Window.h"
#include "support/SdlInput.h"

using Brisk::Platform::EventPump;
using Brisk::Platform::MessageId;
using Brisk::Platform::WindowMessage;
namespace Vk = Brisk::Platform::Vk;

namespace {

struct KeyCase {
    SDL_Keycode key;
    int vk;
};

class VirtualKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(VirtualKeyTest, MapsToDesktopNumbering) {
    EXPECT_EQ(Brisk::Platform::detail::VirtualKeyFromSdl(GetParam().key), GetParam().vk);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VirtualKeyTest,
    ::testing::Values(KeyCase{SDLK_BACKSPACE, 8}, KeyCase{SDLK_TAB, 9}, KeyCase{SDLK_RETURN, 13},
                      KeyCase{SDLK_KP_ENTER, 13}, KeyCase{SDLK_LSHIFT, 16}, KeyCase{SDLK_RCTRL, 17},
                      KeyCase{SDLK_LALT, 18}, KeyCase{SDLK_ESCAPE, 27}, KeyCase{SDLK_SPACE, 32},
                      KeyCase{SDLK_LEFT, 37}, KeyCase{SDLK_UP, 38}, KeyCase{SDLK_RIGHT, 39},
                      KeyCase{SDLK_DOWN, 40}, KeyCase{SDLK_0, 48}, KeyCase{SDLK_9, 57},
                      KeyCase{SDLK_a, 65}, KeyCase{SDLK_z, 90}, KeyCase{SDLK_F1, 112},
                      KeyCase{SDLK_F4, 115}, KeyCase{SDLK_F12, 123}, KeyCase{SDLK_DELETE, 46},
                      KeyCase{SDLK_KP_5, 101}, KeyCase{SDLK_UNKNOWN, 0}));

TEST(DecodeUtf8, DecodesAndSkipsBrokenSequences) {
    using Brisk::Platform::detail::DecodeUtf8;
    EXPECT_EQ(DecodeUtf8("aZ"), (std::vector<char32_t>{'a', 'Z'}));
    EXPECT_EQ(DecodeUtf8("\xC3\xA9"), (std::vector<char32_t>{0xE9}));        // é
    EXPECT_EQ(DecodeUtf8("\xE2\x82\xAC"), (std::vector<char32_t>{0x20AC}));  // €
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x83\x8F"), (std::vector<char32_t>{0x1F0CF}));
    EXPECT_EQ(DecodeUtf8("\x80x"), (std::vector<char32_t>{'x'}));        // stray byte
    EXPECT_EQ(DecodeUtf8("x\xC3"), (std::vector<char32_t>{'x'}));        // truncated
    EXPECT_EQ(DecodeUtf8("\xC3(y"), (std::vector<char32_t>{'(', 'y'}));  // bad follower
}

class EventPumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto init = Brisk::Platform::InitVideo();
        ASSERT_EQ(init.status, Brisk::Platform::VideoStatus::Ok) << init.message;
        Brisk::Platform::WindowParams params;
        params.title = "test";
        std::string error;
        window = Brisk::Platform::Window::Create(params, &error);
        ASSERT_NE(window, nullptr) << error;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        window.reset();
        Brisk::Platform::ShutdownVideo();
    }

    // The messages of the collected events (translated without the platform's
    // queue), then those of whatever waits in the queue.
    std::vector<WindowMessage> Pump() {
        std::vector<WindowMessage> out;
        auto collect = [&](const WindowMessage& m) { out.push_back(m); };
        for (const SDL_Event& e : events) {
            pump.Translate(e, collect);
        }
        events.clear();
        pump.Pump(collect);
        return out;
    }
    void PushKey(SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = window->Id();
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        events.push_back(e);
    }
    void PushButton(Uint8 button, bool down, Uint8 clicks, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = window->Id();
        e.button.button = button;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        events.push_back(e);
    }

    std::unique_ptr<Brisk::Platform::Window> window;
    EventPump pump;
    std::vector<SDL_Event> events;
};

TEST_F(EventPumpTest, ControlKeysAlsoProduceCharacters) {
    PushKey(SDLK_RETURN, true);
    PushKey(SDLK_RETURN, false);
    PushKey(SDLK_a, true);  // letters come as text input, not from the key
    const auto m = Pump();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].message, MessageId::KeyDown);
    EXPECT_EQ(m[0].wparam, Vk::Return);
    EXPECT_EQ(m[0].window, window->Id());
    EXPECT_EQ(m[1].message, MessageId::Char);
    EXPECT_EQ(m[1].wparam, 13);
    EXPECT_EQ(m[2].message, MessageId::KeyUp);
    EXPECT_EQ(m[3].message, MessageId::KeyDown);
    EXPECT_EQ(m[3].wparam, 'A');
}

TEST_F(EventPumpTest, AltTurnsKeysIntoSystemKeys) {
    PushKey(SDLK_RETURN, true, KMOD_LALT);
    PushKey(SDLK_F4, true, KMOD_LALT);
    PushKey(SDLK_F10, true);
    const auto m = Pump();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].message, MessageId::SysKeyDown);
    EXPECT_EQ(m[0].wparam, Vk::Return);
    EXPECT_EQ(m[1].message, MessageId::SysChar);
    EXPECT_EQ(m[2].message, MessageId::SysKeyDown);
    EXPECT_EQ(m[2].wparam, Vk::F4);
    EXPECT_EQ(m[3].message, MessageId::SysKeyDown);
    EXPECT_EQ(m[3].wparam, Vk::F10);
}

TEST_F(EventPumpTest, TextInputGivesOneCharacterPerLatin1CodePoint) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = window->Id();
    std::strcpy(e.text.text, "a\xC3\xA9\xE2\x82\xAC");  // a, é, € (dropped: above 255)
    events.push_back(e);
    const auto m = Pump();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, MessageId::Char);
    EXPECT_EQ(m[0].wparam, 'a');
    EXPECT_EQ(m[1].wparam, 0xE9);
}

TEST_F(EventPumpTest, SecondPressOfADoubleClickIsADoubleClick) {
    PushButton(SDL_BUTTON_LEFT, true, 1, 10, 20);
    PushButton(SDL_BUTTON_LEFT, false, 1, 10, 20);
    PushButton(SDL_BUTTON_LEFT, true, 2, 10, 20);
    PushButton(SDL_BUTTON_RIGHT, true, 1, 11, 21);  // right pressed while left is held
    PushButton(SDL_BUTTON_LEFT, false, 2, 10, 20);
    PushButton(SDL_BUTTON_RIGHT, false, 1, 11, 21);
    const auto m = Pump();
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[0].message, MessageId::LButtonDown);
    EXPECT_EQ(m[0].wparam, Brisk::Platform::kMouseLeft);
    EXPECT_EQ(Brisk::Platform::PointParamX(m[0].lparam), 10);
    EXPECT_EQ(Brisk::Platform::PointParamY(m[0].lparam), 20);
    EXPECT_EQ(m[1].message, MessageId::LButtonUp);
    EXPECT_EQ(m[1].wparam, 0);
    EXPECT_EQ(m[2].message, MessageId::LButtonDoubleClick);
    EXPECT_EQ(m[3].message, MessageId::RButtonDown);
    EXPECT_EQ(m[3].wparam, Brisk::Platform::kMouseLeft | Brisk::Platform::kMouseRight);
    EXPECT_EQ(m[4].message, MessageId::LButtonUp);
    EXPECT_EQ(m[4].wparam, Brisk::Platform::kMouseRight);  // still held after this release
    EXPECT_EQ(m[5].message, MessageId::RButtonUp);
    EXPECT_EQ(m[5].wparam, 0);
}

TEST_F(EventPumpTest, WindowEventsBecomeWindowMessages) {
    const SDL_WindowEventID ids[] = {SDL_WINDOWEVENT_CLOSE, SDL_WINDOWEVENT_FOCUS_LOST,
                                     SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_MAXIMIZED,
                                     SDL_WINDOWEVENT_EXPOSED};
    for (SDL_WindowEventID id : ids) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = window->Id();
        e.window.event = id;
        events.push_back(e);
    }
    const auto m = Pump();
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].message, MessageId::Close);
    EXPECT_EQ(m[1].message, MessageId::ActivateApp);
    EXPECT_EQ(m[1].wparam, 0);
    EXPECT_EQ(m[2].message, MessageId::Size);
    EXPECT_EQ(m[2].wparam, Brisk::Platform::kSizeMinimized);
    EXPECT_EQ(m[3].wparam, Brisk::Platform::kSizeMaximized);
    EXPECT_EQ(m[4].message, MessageId::Paint);
}

TEST_F(EventPumpTest, WheelNotchesAreScaledAndNotifyMessagesArrive) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = window->Id();
    e.wheel.y = -2;
    events.push_back(e);
    ASSERT_TRUE(EventPump::Post({window->Id(), MessageId::Notify, 0, 0}));
    EXPECT_FALSE(EventPump::Post({window->Id(), MessageId::Close, 0, 0}));
    const auto m = Pump();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, MessageId::MouseWheel);
    EXPECT_EQ(m[0].wparam, -240);
    EXPECT_EQ(m[1].message, MessageId::Notify);
    EXPECT_EQ(m[1].window, window->Id());
}

TEST_F(EventPumpTest, PumpStopsEarlyWhenAsked) {
    PushKey(SDLK_a, true);
    PushKey(SDLK_b, true);
    for (SDL_Event& e : events) {
        SDL_PushEvent(&e);
    }
    events.clear();
    int delivered = 0;
    pump.Pump([&](const WindowMessage&) { ++delivered; }, [&] { return delivered >= 1; });
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(Pump().size(), 1u);
}

// A gamepad plugged in is opened; its D-pad, buttons and left stick arrive
// as pad messages; unplugged it is closed, and one plugged in again works.
TEST_F(EventPumpTest, GamepadsArePluggedPressedAndUnplugged) {
    using Brisk::Platform::PadButton;
    auto pads = [&](MessageId id) {
        std::vector<PadButton> seen;
        for (const WindowMessage& m : Pump()) {
            if (m.message == id) {
                seen.push_back(static_cast<PadButton>(m.wparam));
            }
        }
        return seen;
    };
    for (int plugging = 0; plugging < 2; ++plugging) {
        SCOPED_TRACE(plugging);
        TestSupport::VirtualPad pad;
        ASSERT_TRUE(pad.IsPlugged());
        Pump();
        EXPECT_EQ(pump.CountGamepads(), 1);
        const struct {
            int button;
            PadButton as;
        } buttons[] = {{SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::Up},
                       {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::Left},
                       {SDL_CONTROLLER_BUTTON_A, PadButton::A},
                       {SDL_CONTROLLER_BUTTON_B, PadButton::B},
                       {SDL_CONTROLLER_BUTTON_START, PadButton::Start},
                       {SDL_CONTROLLER_BUTTON_BACK, PadButton::Back},
                       {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadButton::NextItem}};
        for (const auto& b : buttons) {
            pad.SetButton(b.button, true);
            EXPECT_EQ(pads(MessageId::PadDown), std::vector<PadButton>{b.as});
            pad.SetButton(b.button, false);
            EXPECT_EQ(pads(MessageId::PadUp), std::vector<PadButton>{b.as});
        }
        // The stick leans right: Right; a little back is still Right; to the
        // middle lets go; down is Down.
        pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
        EXPECT_EQ(pads(MessageId::PadDown), std::vector<PadButton>{PadButton::Right});
        pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 12000);
        EXPECT_TRUE(pads(MessageId::PadUp).empty());
        pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        EXPECT_EQ(pads(MessageId::PadUp), std::vector<PadButton>{PadButton::Right});
        pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
        EXPECT_EQ(pads(MessageId::PadDown), std::vector<PadButton>{PadButton::Down});
        // Unplugged while the stick leans: the direction is let go.
        pad.Unplug();
        EXPECT_EQ(pads(MessageId::PadUp), std::vector<PadButton>{PadButton::Down});
        EXPECT_EQ(pump.CountGamepads(), 0);
    }
}

}  // namespace
