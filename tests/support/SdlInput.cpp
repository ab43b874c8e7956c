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
