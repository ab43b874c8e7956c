#include "support/SdlInput.h"

#include <SDL.h>

#include <cstring>

namespace TestSupport {

void PushMouseMove(uint32_t windowId, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowId;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

void PushMouseButton(uint32_t windowId, bool down, int x, int y, int clicks) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = static_cast<Uint8>(clicks);
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void PushKey(uint32_t windowId, int32_t sdlKeycode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = windowId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sdlKeycode;
    SDL_PushEvent(&e);
}

void PushText(uint32_t windowId, const std::string& text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = windowId;
    std::strncpy(e.text.text, text.c_str(), sizeof e.text.text - 1);
    SDL_PushEvent(&e);
}

}  // namespace TestSupport

namespace TestSupport {

VirtualPad::VirtualPad() {
    // The dummy video driver gives no window the focus, and SDL drops the
    // presses of a pad while no window of the program has it.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;  // button i is SDL's button i
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.name = "Test pad";
    m_index = SDL_JoystickAttachVirtualEx(&desc);
    if (m_index >= 0) {
        m_joystick = SDL_JoystickOpen(m_index);
    }
    SDL_PumpEvents();  // the plug-in is announced
}

VirtualPad::~VirtualPad() {
    Unplug();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void VirtualPad::SetButton(int button, bool down) {
    SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    SDL_PumpEvents();
}

void VirtualPad::SetAxis(int axis, int16_t value) {
    SDL_JoystickSetVirtualAxis(m_joystick, axis, value);
    SDL_PumpEvents();
}

void VirtualPad::Unplug() {
    if (m_joystick != nullptr) {
        SDL_JoystickClose(m_joystick);
        SDL_JoystickDetachVirtual(m_index);
        m_joystick = nullptr;
        SDL_PumpEvents();
    }
}

}  // namespace TestSupport
