#pragma once

// Input pushed into SDL's event queue for a window, so that it travels the
// real event path (event pump, window procedure, widget manager) as a
// player's input would. Works with SDL's dummy video driver.

#include <cstdint>
#include <string>

namespace TestSupport {

void PushMouseMove(uint32_t windowId, int x, int y);
// Left button; `clicks` 2 for the second press of a double click.
void PushMouseButton(uint32_t windowId, bool down, int x, int y, int clicks = 1);
// Keys by their SDL key code (SDLK_RETURN is 13, SDLK_SPACE 32, SDLK_ESCAPE 27).
void PushKey(uint32_t windowId, int32_t sdlKeycode, bool down);
// Typed text (one text-input event).
void PushText(uint32_t windowId, const std::string& text);

}  // namespace TestSupport
