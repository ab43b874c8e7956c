#include "framework/platform/Events.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>

#include "framework/platform/Clock.h"
#include "framework/platform/SdlKeys.h"
#include "framework/platform/WindowSystemWatch.h"

namespace Brisk::Platform {
namespace detail {

int VirtualKeyFromSdl(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return Vk::KeyA + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return Vk::Key0 + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return Vk::F1 + (key - SDLK_F1);
    }
    if (key >= SDLK_F13 && key <= SDLK_F24) {
        return Vk::F1 + 12 + (key - SDLK_F13);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return Vk::Numpad0 + 1 + (key - SDLK_KP_1);
    }
    switch (key) {
        case SDLK_BACKSPACE:
            return Vk::Back;
        case SDLK_TAB:
            return Vk::Tab;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return Vk::Return;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return Vk::Shift;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return Vk::Control;
        case SDLK_LALT:
        case SDLK_RALT:
            return Vk::Menu;
        case SDLK_PAUSE:
            return Vk::Pause;
        case SDLK_CAPSLOCK:
            return Vk::Capital;
        case SDLK_ESCAPE:
            return Vk::Escape;
        case SDLK_SPACE:
            return Vk::Space;
        case SDLK_PAGEUP:
            return Vk::Prior;
        case SDLK_PAGEDOWN:
            return Vk::Next;
        case SDLK_END:
            return Vk::End;
        case SDLK_HOME:
            return Vk::Home;
        case SDLK_LEFT:
            return Vk::Left;
        case SDLK_UP:
            return Vk::Up;
        case SDLK_RIGHT:
            return Vk::Right;
        case SDLK_DOWN:
            return Vk::Down;
        case SDLK_INSERT:
            return Vk::Insert;
        case SDLK_DELETE:
            return Vk::Delete;
        case SDLK_KP_0:
            return Vk::Numpad0;
        case SDLK_KP_MULTIPLY:
            return Vk::Multiply;
        case SDLK_KP_PLUS:
            return Vk::Add;
        case SDLK_KP_MINUS:
            return Vk::Subtract;
        case SDLK_KP_PERIOD:
            return Vk::Decimal;
        case SDLK_KP_DIVIDE:
            return Vk::Divide;
        case SDLK_NUMLOCKCLEAR:
            return Vk::NumLock;
        case SDLK_SCROLLLOCK:
            return Vk::Scroll;
        case SDLK_SEMICOLON:
            return Vk::Oem1;
        case SDLK_EQUALS:
            return Vk::OemPlus;
        case SDLK_COMMA:
            return Vk::OemComma;
        case SDLK_MINUS:
            return Vk::OemMinus;
        case SDLK_PERIOD:
            return Vk::OemPeriod;
        case SDLK_SLASH:
            return Vk::Oem2;
        case SDLK_BACKQUOTE:
            return Vk::Oem3;
        case SDLK_LEFTBRACKET:
            return Vk::Oem4;
        case SDLK_BACKSLASH:
            return Vk::Oem5;
        case SDLK_RIGHTBRACKET:
            return Vk::Oem6;
        case SDLK_QUOTE:
            return Vk::Oem7;
        default:
            return 0;
    }
}

std::vector<char32_t> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            ++i;  // stray continuation or invalid lead byte
            continue;
        }
        if (i + extra >= text.size() && extra > 0) {
            break;  // truncated sequence at the end
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            ++i;
            continue;
        }
        out.push_back(cp);
        i += 1 + extra;
    }
    return out;
}

}  // namespace detail

namespace {

Uint32 NotifyEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

int64_t ButtonBit(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return kMouseLeft;
        case SDL_BUTTON_RIGHT:
            return kMouseRight;
        case SDL_BUTTON_MIDDLE:
            return kMouseMiddle;
        default:
            return 0;
    }
}

MessageId ButtonMessage(Uint8 button, bool down, bool dbl) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return !down ? MessageId::LButtonUp
                         : (dbl ? MessageId::LButtonDoubleClick : MessageId::LButtonDown);
        case SDL_BUTTON_RIGHT:
            return !down ? MessageId::RButtonUp
                         : (dbl ? MessageId::RButtonDoubleClick : MessageId::RButtonDown);
        case SDL_BUTTON_MIDDLE:
            return !down ? MessageId::MButtonUp
                         : (dbl ? MessageId::MButtonDoubleClick : MessageId::MButtonDown);
        default:
            return MessageId::None;
    }
}

bool IsControlCharacterKey(int vk) {
    return vk == Vk::Back || vk == Vk::Tab || vk == Vk::Return || vk == Vk::Escape;
}

}  // namespace

namespace {

// The window the keyboard focus is in, for events that name no window.
WindowId FocusWindow() {
    SDL_Window* w = SDL_GetKeyboardFocus();
    return w != nullptr ? SDL_GetWindowID(w) : 0;
}

// A window event as a message; MessageId::None for those the program ignores.
WindowMessage TranslateWindowEvent(const SDL_WindowEvent& e) {
    WindowMessage m;
    m.window = e.windowID;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            m.message = MessageId::Close;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            m.message = MessageId::ActivateApp;
            m.wparam = e.event == SDL_WINDOWEVENT_FOCUS_GAINED ? 1 : 0;
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            m.message = MessageId::Size;
            m.wparam = kSizeMinimized;
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            m.message = MessageId::Size;
            m.wparam = kSizeMaximized;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            m.message = MessageId::Size;
            m.wparam = kSizeRestored;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            m.message = MessageId::Size;
            m.wparam = kSizeRestored;
            m.lparam = MakePointParam(e.data1, e.data2);
            break;
        case SDL_WINDOWEVENT_MOVED:
            m.message = MessageId::Move;
            m.lparam = MakePointParam(e.data1, e.data2);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            m.message = MessageId::Paint;
            break;
        default:
            break;
    }
    return m;
}

// A key press or release: the key message, and for control keys the
// character they type (text input does not report those).
void TranslateKey(const SDL_KeyboardEvent& e, const EventPump::Handler& handler) {
    const int vk = detail::VirtualKeyFromSdl(e.keysym.sym);
    if (vk == 0) {
        return;
    }
    const bool down = e.type == SDL_KEYDOWN;
    const bool alt = (e.keysym.mod & KMOD_ALT) != 0 || vk == Vk::Menu;
    const bool sys = alt || vk == Vk::F10;
    WindowMessage m;
    m.window = e.windowID;
    m.message = down ? (sys ? MessageId::SysKeyDown : MessageId::KeyDown)
                     : (sys ? MessageId::SysKeyUp : MessageId::KeyUp);
    m.wparam = vk;
    handler(m);
    if (down && IsControlCharacterKey(vk)) {
        m.message = alt ? MessageId::SysChar : MessageId::Char;
        handler(m);
    }
}

// Typed text: one character message per Latin-1 code point.
void TranslateText(const SDL_TextInputEvent& e, const EventPump::Handler& handler) {
    WindowMessage m;
    m.window = e.windowID;
    m.message = MessageId::Char;
    for (char32_t cp : detail::DecodeUtf8(e.text)) {
        if (cp >= 32 && cp < 256) {
            m.wparam = static_cast<int64_t>(cp);
            handler(m);
        }
    }
}

}  // namespace

// --- gamepads --------------------------------------------------------------------

namespace {

struct ControllerCloser {
    void operator()(SDL_GameController* pad) const { SDL_GameControllerClose(pad); }
};

// How far the stick must lean to count as a direction, and how far back it
// must come to let go (a gap, so a stick held near the edge does not flutter).
constexpr Sint16 kStickPress = 16000;
constexpr Sint16 kStickRelease = 8000;

std::optional<PadButton> PadButtonOf(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return PadButton::Up;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return PadButton::Down;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return PadButton::Left;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return PadButton::Right;
        case SDL_CONTROLLER_BUTTON_A:
            return PadButton::A;
        case SDL_CONTROLLER_BUTTON_B:
            return PadButton::B;
        case SDL_CONTROLLER_BUTTON_START:
            return PadButton::Start;
        case SDL_CONTROLLER_BUTTON_BACK:
            return PadButton::Back;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return PadButton::NextItem;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return PadButton::PreviousItem;
        default:
            return std::nullopt;
    }
}

}  // namespace

struct EventPump::Gamepads {
    bool started = false;
    struct Pad {
        std::unique_ptr<SDL_GameController, ControllerCloser> controller;
        // The stick's direction on each axis: -1, 0 or +1.
        int stick[2] = {0, 0};
    };
    std::map<SDL_JoystickID, Pad> pads;  // by instance id

    // The stick on `axis` (0 across, 1 up and down) moved to `value`.
    void Stick(Pad& pad, int axis, Sint16 value, const Handler& handler) {
        int& now = pad.stick[axis];
        int next = now;
        if (value >= kStickPress) {
            next = 1;
        } else if (value <= -kStickPress) {
            next = -1;
        } else if (value > -kStickRelease && value < kStickRelease) {
            next = 0;
        }
        if (next == now) {
            return;
        }
        const PadButton towards[2][2] = {{PadButton::Left, PadButton::Right},
                                         {PadButton::Up, PadButton::Down}};
        const WindowId window = FocusWindow();
        if (now != 0) {
            handler({window, MessageId::PadUp, static_cast<int64_t>(towards[axis][now > 0 ? 1 : 0]),
                     0});
        }
        now = next;
        if (now != 0) {
            handler({window, MessageId::PadDown,
                     static_cast<int64_t>(towards[axis][now > 0 ? 1 : 0]), 0});
        }
    }
};

EventPump::EventPump() : m_pads(std::make_unique<Gamepads>()) {
    // Without the service the game is played as before, by mouse and keys.
    m_pads->started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

EventPump::~EventPump() {
    m_pads->pads.clear();  // closed before the service ends
    if (m_pads->started) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
}

int EventPump::CountGamepads() const {
    return static_cast<int>(m_pads->pads.size());
}

WindowMessage EventPump::TranslateMouseButton(const SDL_MouseButtonEvent& e) {
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    const int64_t bit = ButtonBit(e.button);
    WindowMessage m;
    if (bit == 0) {
        return m;
    }
    m_buttons = down ? (m_buttons | bit) : (m_buttons & ~bit);
    m.window = e.windowID;
    // The second press of a double click arrives as a double-click message.
    m.message = ButtonMessage(e.button, down, down && e.clicks >= 2 && e.clicks % 2 == 0);
    m.wparam = m_buttons;
    m.lparam = MakePointParam(e.x, e.y);
    return m;
}

void EventPump::Translate(const SDL_Event& e, const Handler& handler) {
    WindowMessage m;
    switch (e.type) {
        case SDL_QUIT:
            // A termination request from outside: handled like the close box.
            m = {FocusWindow(), MessageId::Close, 0, 0};
            break;
        case SDL_WINDOWEVENT:
            m = TranslateWindowEvent(e.window);
            break;
        case SDL_DISPLAYEVENT:
        case SDL_RENDER_DEVICE_RESET:
            m = {FocusWindow(), MessageId::DisplayChange, 0, 0};
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which != SDL_TOUCH_MOUSEID) {
                m = {e.motion.windowID, MessageId::MouseMove, m_buttons,
                     MakePointParam(e.motion.x, e.motion.y)};
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            m = TranslateMouseButton(e.button);
            break;
        case SDL_MOUSEWHEEL: {
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            const int dir = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
            m = {e.wheel.windowID, MessageId::MouseWheel,
                 static_cast<int64_t>(e.wheel.y) * 120 * dir, MakePointParam(x, y)};
            if (m.wparam == 0) {
                return;
            }
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(e.key, handler);
            return;
        case SDL_TEXTINPUT:
            TranslateText(e.text, handler);
            return;
        case SDL_CONTROLLERDEVICEADDED:
            if (SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which)) {
                const SDL_JoystickID id =
                    SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
                m_pads->pads[id].controller.reset(pad);  // the same pad again: one handle
            }
            return;
        case SDL_CONTROLLERDEVICEREMOVED: {
            const auto pad = m_pads->pads.find(e.cdevice.which);
            if (pad != m_pads->pads.end()) {
                // A direction held on the stick is let go with the pad.
                for (int axis = 0; axis < 2; ++axis) {
                    m_pads->Stick(pad->second, axis, 0, handler);
                }
                m_pads->pads.erase(pad);
            }
            return;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (const auto button = PadButtonOf(e.cbutton.button)) {
                m = {FocusWindow(),
                     e.type == SDL_CONTROLLERBUTTONDOWN ? MessageId::PadDown : MessageId::PadUp,
                     static_cast<int64_t>(*button), 0};
            }
            break;
        case SDL_CONTROLLERAXISMOTION: {
            const auto pad = m_pads->pads.find(e.caxis.which);
            if (pad != m_pads->pads.end() && (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ||
                                              e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)) {
                m_pads->Stick(pad->second, e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 1,
                              e.caxis.value, handler);
            }
            return;
        }
        default:
            if (e.type == NotifyEventType()) {
                m = {e.user.windowID, MessageId::Notify, e.user.code, 0};
            }
            break;
    }
    if (m.message != MessageId::None) {
        handler(m);
    }
}

namespace {
Uint32 g_lastFullPump = 0;
constexpr Uint32 kFullPumpEveryMs = 250;
}  // namespace

int EventPump::Pump(const Handler& handler, const std::function<bool()>& stop) {
    int taken = 0;
    SDL_Event e;
    // One read of the window system, then what it queued: SDL_PollEvent would
    // read the connection again for every event taken. An idle connection is
    // not read at all, except a few times a second for SDL's own upkeep.
    const Uint32 now = SDL_GetTicks();
    if (!WindowSystemQuiet() || now - g_lastFullPump >= kFullPumpEveryMs) {
        g_lastFullPump = now;
        SDL_PumpEvents();
    }
    while ((!stop || !stop()) &&
           SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        ++taken;
        Translate(e, handler);
    }
    return taken;
}

void EventPump::Sleep(Clock& clock, uint32_t ms) {
    if (ms == 0 || &clock != &SystemClock() || !SleepWatchingWindowSystem(ms)) {
        clock.Sleep(ms);
    }
}

void EventPump::WaitForInput(Clock& clock, uint32_t ms, uint32_t unwatchedMs) {
    if (ms == 0) {
        return;
    }
    if (&clock != &SystemClock()) {
        clock.Sleep(ms);
    } else if (!WaitForWindowSystemOrWake(ms)) {
        clock.Sleep(std::min(ms, unwatchedMs));
    }
}

void EventPump::Wake() {
    WakeWindowSystemWait();
}

bool EventPump::Post(const WindowMessage& message) {
    if (message.message != MessageId::Notify) {
        return false;
    }
    SDL_Event e{};
    e.type = NotifyEventType();
    e.user.windowID = message.window;
    e.user.code = static_cast<Sint32>(message.wparam);
    const bool posted = SDL_PushEvent(&e) == 1;
    Wake();  // a pushed event does not touch the window system's connection
    return posted;
}

void EventPump::EnableTextInput(bool on) {
    if (on) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

}  // namespace Brisk::Platform
