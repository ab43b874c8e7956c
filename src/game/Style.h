#pragma once

#include <string>

#include "controls/IButtonVO.h"
#include "game/Layout.h"

namespace Gamespace {

using ControlLibrary::kAlignCentre;
using ControlLibrary::kAlignEnd;
using ControlLibrary::kAlignStart;

// How a family of buttons looks and sounds.
struct ButtonStyle {
    ControlLibrary::IFont* font = nullptr;
    std::string image;  // one strip for all four looks
    ControlLibrary::RectSet frames{};
    ControlLibrary::ColourSet captions{};
    ControlLibrary::ISound* pressSound = nullptr;
};

// Frames of "images/btn_def.png": four 108 x 27 looks stacked.
inline const ControlLibrary::RectSet kMenuButtonFrames{
    {{0, 0, 108, 27}, {0, 27, 108, 27}, {0, 54, 108, 27}, {0, 81, 108, 27}}};

// A new button in `style` with `text`, centred on its position, in `shape`
// (layer, size, caption offset), with `observer` (may be null) hearing its clicks.
ControlLibrary::IButtonVO* MakeButton(const ButtonStyle& style, const std::string& text,
                                      const ButtonShape& shape,
                                      ControlLibrary::MouseMessageObserver* observer);

// A font, or a sound, made through the control factory and loaded from `path`
// (what cannot be loaded is left empty: its texts or sound are skipped).
ControlLibrary::IFont* LoadFont(const std::string& path);
ControlLibrary::ISound* LoadSound(const std::string& path, double volume = 1.0);

}  // namespace Gamespace
