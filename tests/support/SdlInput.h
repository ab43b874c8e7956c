#pragma once

// Input pushed into SDL's event queue for a window, so that it travels the
// real event path (event pump, window procedure, widget manager) as a
// player's input would. Works with SDL's dummy video driver.

#include <cstdint>
#include <string>

struct _SDL_Joystick;

namespace TestSupport {

void PushMouseMove(uint32_t windowId, int x, int y);
// Left button; `clicks` 2 for the second press of a double click.
void PushMouseButton(uint32_t windowId, bool down, int x, int y, int clicks = 1);
// Keys by their SDL key code (SDLK_RETURN is 13, SDLK_SPACE 32, SDLK_ESCAPE 27).
void PushKey(uint32_t windowId, int32_t sdlKeycode, bool down);
// Typed text (one text-input event).
void PushText(uint32_t windowId, const std::string& text);

}  // namespace TestSupport

namespace TestSupport {

// A gamepad that is no hardware: SDL's virtual joystick with a game
// controller's buttons and axes, in SDL's own order. Plugged in when made,
// unplugged when destroyed (or by Unplug). Its presses reach the program
// when SDL next pumps its events.
class VirtualPad {
public:
    VirtualPad();
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
    bool IsPlugged() const { return m_joystick != nullptr; }
    // An SDL_GameControllerButton held or let go.
    void SetButton(int button, bool down);
    // An SDL_GameControllerAxis moved to `value`.
    void SetAxis(int axis, int16_t value);
    void Unplug();

private:
    _SDL_Joystick* m_joystick = nullptr;
    int m_index = -1;
};

}  // namespace TestSupport
