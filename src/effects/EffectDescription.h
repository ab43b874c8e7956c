#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace EffectLibrary {

struct EffectFrame {
    int16_t index = -1;  // 1 for the strip's leftmost cell
    int16_t time = -1;   // milliseconds
};

struct EffectAnimation {
    std::string name;
    bool autohide = false;
    int16_t defaultTime = -1;
    std::vector<EffectFrame> frames;
};

// An effect description: one strip image of frame_w x frame_h cells and the
// animations that show them.
struct EffectDescription {
    std::string image;
    uint16_t frameWidth = 0;
    uint16_t frameHeight = 0;
    std::vector<EffectAnimation> animations;
};

// Parses a description's text: keys found by substring search inside the
// header, "[effect]" and "[frame]" blocks. Null when the markers, the header
// keys, or the first animation are missing or malformed; later malformed
// animations are dropped (frames read before a fault stay). Reads nothing
// outside `text`, whatever it holds.
std::optional<EffectDescription> ParseEffectDescription(std::string_view text);

}  // namespace EffectLibrary
