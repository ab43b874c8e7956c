#pragma once

#include <array>
#include <string>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

class IFont;
class ISound;

// Five colours, one per look (the fifth is not drawn).
using ColourSet = std::array<Colour, 5>;
// One font per look; entries after the first that are null take the first.
using FontSet = std::array<IFont*, 4>;
// One picture path per look; empty paths after the first take the first.
using ImagePathSet = std::array<std::string, 4>;
// One source rectangle per look; 0 width or height means the whole picture.
using RectSet = std::array<Rect, 4>;
// Played once each: when the mouse enters, on the press, on the release.
struct SoundSet {
    ISound* enter = nullptr;
    ISound* press = nullptr;
    ISound* release = nullptr;
};

// A button with four looks: normal, over, down, disabled. Clicks reach the
// mouse observers (OnMouseClick).
class IButtonVO : public IVisibleObject {
public:
    // Each sound that is not null gains a count, given back when replaced.
    virtual void SetSounds(const SoundSet& sounds) = 0;
    virtual void SetBackColours(const ColourSet& colours) = 0;
    virtual void SetFonts(const FontSet& fonts) = 0;
    // A path that cannot be loaded leaves that look as it was.
    virtual void SetImages(const ImagePathSet& paths) = 0;
    virtual void SetSourceRects(const RectSet& rects) = 0;
    virtual void SetTextColours(const ColourSet& colours) = 0;
    virtual void SetText(const std::string& text) = 0;
    // Moves the caption from the button's centre.
    virtual void SetTextOffset(const Point& offset) = 0;
    virtual void SetBackgroundHidden(bool hidden) = 0;
    // Acts as a press and release with the mouse over the button.
    virtual void Press() = 0;
    // Shows the button as if the mouse were over it (the keyboard's choice).
    virtual void SetHighlighted(bool on) = 0;
};

// A box with a caption to its right. Looks: checked, unchecked, disabled
// checked, disabled unchecked. Pressing toggles it, enabled or not.
class ICheckBoxVO : public IVisibleObject {
public:
    virtual void SetSounds(const SoundSet& sounds) = 0;
    // Checked, unchecked, (unused), disabled, (unused).
    virtual void SetBackColours(const ColourSet& colours) = 0;
    // Checked, unchecked, over, disabled.
    virtual void SetFonts(const FontSet& fonts) = 0;
    // Checked, unchecked, disabled checked, disabled unchecked.
    virtual void SetImages(const ImagePathSet& paths) = 0;
    virtual void SetSourceRects(const RectSet& rects) = 0;
    // Checked, unchecked, over, disabled, (unused).
    virtual void SetTextColours(const ColourSet& colours) = 0;
    virtual void SetBoxSize(const Size& size) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetTextOffset(const Point& offset) = 0;
    virtual void SetBoxHidden(bool hidden) = 0;
    // A press and release without touching the over flag.
    virtual void Press() = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsChecked() = 0;
};

}  // namespace ControlLibrary
