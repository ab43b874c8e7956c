#pragma once

#include <cstdint>

namespace Gamespace {

// The screen every layout is made for, and its centre.
inline constexpr int32_t kScreenWidth = 1024;
inline constexpr int32_t kScreenHeight = 768;
inline constexpr int32_t kCx = kScreenWidth / 2;
inline constexpr int32_t kCy = kScreenHeight / 2;

// Drawing order of the game's controls, back to front.
namespace Layer {
inline constexpr uint16_t kGameBackground = 5;
inline constexpr uint16_t kStartBackground = 10;
inline constexpr uint16_t kStartButtons = 50;
inline constexpr uint16_t kLabels = 100;
inline constexpr uint16_t kFocusRing = 140;  // under the cards it frames: a click reaches the card
inline constexpr uint16_t kCards = 150;
inline constexpr uint16_t kClock = 150;
inline constexpr uint16_t kDialogControls = 300;
inline constexpr uint16_t kGameButtons = 650;
inline constexpr uint16_t kDialogs = 1000;  // a shown dialog then rises above everything
inline constexpr uint16_t kFooter = 1500;   // "Exit" and the links, over every screen
}  // namespace Layer

// A point on the screen, or from a dialog's centre.
struct Spot {
    int32_t x = 0;
    int32_t y = 0;
};

struct Extent {
    uint32_t width = 0;
    uint32_t height = 0;
};

// A button's drawing layer, size, and how far its caption sits below its centre.
struct ButtonShape {
    uint16_t zOrder = 0;
    Extent size;
    int32_t captionY = 0;
};

}  // namespace Gamespace
