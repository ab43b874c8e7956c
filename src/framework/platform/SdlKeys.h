#pragma once

// Platform-internal: translation of SDL key codes. Included only by the
// platform layer and its tests.

#include <SDL.h>

#include <string_view>
#include <vector>

namespace Brisk::Platform::detail {

// Virtual-key code for an SDL key, or 0 when the key has none.
int VirtualKeyFromSdl(SDL_Keycode key);

// Unicode code points of a UTF-8 text; invalid bytes are skipped.
std::vector<char32_t> DecodeUtf8(std::string_view text);

}  // namespace Brisk::Platform::detail
