#pragma once

#include <array>
#include <string>

#include "controls/BaseVO_bridge.h"
#include "controls/IButtonVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

// What buttons and check boxes share: four looks, each a picture part or a
// colour, a font and a caption colour per look, and three sounds.
class PressableVO_impl : public VisibleObject_impl {
public:
    PressableVO_impl(Factory_impl* factory, int32_t id);
    // Gives back the pictures, fonts and sounds it holds.
    ~PressableVO_impl() override;

    void SetSounds(const SoundSet& sounds);
    void SetBackColours(const ColourSet& colours);
    void SetFonts(const FontSet& fonts);
    void SetSourceRects(const RectSet& rects);
    void SetText(const std::string& text);
    void SetTextOffset(const Point& offset);
    // The image index of each look, -1 when it has none (tests).
    int32_t GetImageIndex(int look);
    // The caption and a look's caption colour (tests that measure them).
    std::string GetText();
    Colour GetTextColour(int look);

    // The enter and release sounds, then the common handling.
    void HandleMouseEnter() override;
    void HandleMouseUp(int32_t x, int32_t y, int32_t clickCount) override;

protected:
    // Loads the first path into look 0, then each later path (or the first
    // again when it is empty) into looks 1 to 3. A failed load keeps the look.
    void LoadImages(const ImagePathSet& paths);
    // Plays one of the three sounds once, if it is set and the kind makes
    // sounds in its present state.
    void Play(ISound* SoundSet::*which);
    virtual bool MakesSounds() { return true; }
    // The look's picture part stretched over `dest`, or `colour` without one.
    void DrawLook(int look, const Rect& dest, const Colour& colour);

    // Guarded by the factory lock.
    std::array<int32_t, 4> m_images{-1, -1, -1, -1};
    SoundSet m_sounds;  // counted
    RectSet m_sourceRects{};
    ColourSet m_backColours{};
    ColourSet m_textColours{};
    FontSet m_fonts{};  // counted
    std::string m_text;
    Point m_textOffset;
};

class ButtonVO_impl : public PressableVO_impl {
public:
    ButtonVO_impl(Factory_impl* factory, int32_t id);

    void Draw() override;
    // The press sound, then the common handling.
    void HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) override;
    void SetImages(const ImagePathSet& paths);
    void SetTextColours(const ColourSet& colours);
    void SetBackgroundHidden(bool hidden);
    void Press();
    void SetHighlighted(bool on);
    // 0 normal, 1 over (or highlighted), 2 down, 3 disabled.
    int GetLook();

protected:
    // A disabled button stays silent: a click sound promises an action.
    bool MakesSounds() override { return IsEnabled(); }

private:
    bool m_backgroundHidden = false;
    bool m_highlighted = false;
};

class CheckBoxVO_impl : public PressableVO_impl {
public:
    CheckBoxVO_impl(Factory_impl* factory, int32_t id);

    void Draw() override;
    // The press sound, the toggle, then the common handling.
    void HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) override;
    void SetImages(const ImagePathSet& paths);
    void SetTextColours(const ColourSet& colours);
    void SetBoxSize(const Size& size);
    void SetBoxHidden(bool hidden);
    void Press();
    void SetChecked(bool checked);
    bool IsChecked();

private:
    Size m_boxSize{20, 20};
    bool m_boxHidden = false;
    bool m_checked = false;
};

// The operations buttons and check boxes share, forwarded once.
template <class Interface, class Impl>
class PressableVO_bridge : public BaseVO_bridge<Interface, Impl> {
public:
    using BaseVO_bridge<Interface, Impl>::BaseVO_bridge;
    void SetSounds(const SoundSet& sounds) override { this->GetKind().SetSounds(sounds); }
    void SetBackColours(const ColourSet& colours) override {
        this->GetKind().SetBackColours(colours);
    }
    void SetFonts(const FontSet& fonts) override { this->GetKind().SetFonts(fonts); }
    void SetImages(const ImagePathSet& paths) override { this->GetKind().SetImages(paths); }
    void SetSourceRects(const RectSet& rects) override { this->GetKind().SetSourceRects(rects); }
    void SetTextColours(const ColourSet& colours) override {
        this->GetKind().SetTextColours(colours);
    }
    void SetText(const std::string& text) override { this->GetKind().SetText(text); }
    void SetTextOffset(const Point& offset) override { this->GetKind().SetTextOffset(offset); }
    void Press() override { this->GetKind().Press(); }
};

class ButtonVO_bridge : public PressableVO_bridge<IButtonVO, ButtonVO_impl> {
public:
    using PressableVO_bridge::PressableVO_bridge;
    void SetBackgroundHidden(bool hidden) override { GetKind().SetBackgroundHidden(hidden); }
    void SetHighlighted(bool on) override { GetKind().SetHighlighted(on); }
};

class CheckBoxVO_bridge : public PressableVO_bridge<ICheckBoxVO, CheckBoxVO_impl> {
public:
    using PressableVO_bridge::PressableVO_bridge;
    void SetBoxSize(const Size& size) override { GetKind().SetBoxSize(size); }
    void SetBoxHidden(bool hidden) override { GetKind().SetBoxHidden(hidden); }
    void SetChecked(bool checked) override { GetKind().SetChecked(checked); }
    bool IsChecked() override { return GetKind().IsChecked(); }
};

}  // namespace ControlLibrary
