#include "controls/ButtonVO.h"

#include <algorithm>

#include "controls/Factory_impl.h"

namespace ControlLibrary {

// --- shared --------------------------------------------------------------------

PressableVO_impl::PressableVO_impl(Factory_impl* factory, int32_t id)
    : VisibleObject_impl(factory, id) {}

PressableVO_impl::~PressableVO_impl() {
    for (int32_t& image : m_images) {
        m_factory->ReleaseImage(&image);
    }
    for (IFont*& font : m_fonts) {
        HoldCounted(font, nullptr);
    }
    HoldCounted(m_sounds.enter, nullptr);
    HoldCounted(m_sounds.press, nullptr);
    HoldCounted(m_sounds.release, nullptr);
}

void PressableVO_impl::SetSounds(const SoundSet& sounds) {
    auto lock = Lock();
    HoldCounted(m_sounds.enter, sounds.enter);
    HoldCounted(m_sounds.press, sounds.press);
    HoldCounted(m_sounds.release, sounds.release);
}

void PressableVO_impl::SetBackColours(const ColourSet& colours) {
    auto lock = Lock();
    m_backColours = colours;
}

void PressableVO_impl::SetFonts(const FontSet& fonts) {
    auto lock = Lock();
    for (size_t i = 0; i < fonts.size(); ++i) {
        HoldCounted(m_fonts[i], i > 0 && fonts[i] == nullptr ? fonts[0] : fonts[i]);
    }
}

void PressableVO_impl::SetSourceRects(const RectSet& rects) {
    auto lock = Lock();
    m_sourceRects = rects;
}

void PressableVO_impl::SetText(const std::string& text) {
    auto lock = Lock();
    m_text = text;
}

void PressableVO_impl::SetTextOffset(const Point& offset) {
    auto lock = Lock();
    m_textOffset = offset;
}

std::string PressableVO_impl::GetText() {
    auto lock = Lock();
    return m_text;
}

Colour PressableVO_impl::GetTextColour(int look) {
    auto lock = Lock();
    return m_textColours[static_cast<size_t>(std::clamp(look, 0, 4))];
}

int32_t PressableVO_impl::GetImageIndex(int look) {
    auto lock = Lock();
    return m_images.at(static_cast<size_t>(look));
}

void PressableVO_impl::LoadImages(const ImagePathSet& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
        ReplaceImage(i > 0 && paths[i].empty() ? paths[0] : paths[i], &m_images[i]);
    }
}

void PressableVO_impl::DrawLook(int look, const Rect& dest, const Colour& colour) {
    const auto i = static_cast<size_t>(look);
    if (m_images[i] == -1) {
        m_factory->FillRect(dest, colour);
    } else {
        m_factory->DrawImage(m_images[i], m_sourceRects[i], dest);
    }
}

void PressableVO_impl::Play(ISound* SoundSet::*which) {
    if (!MakesSounds()) {
        return;
    }
    ISound* sound = nullptr;
    {
        auto lock = Lock();
        sound = m_sounds.*which;
    }
    PlayOnce(sound);  // outside the lock: playing reaches the sound players
}

void PressableVO_impl::HandleMouseEnter() {
    Play(&SoundSet::enter);
    VisibleObject_impl::HandleMouseEnter();
}

void PressableVO_impl::HandleMouseUp(int32_t x, int32_t y, int32_t clickCount) {
    Play(&SoundSet::release);
    VisibleObject_impl::HandleMouseUp(x, y, clickCount);
}

// --- button --------------------------------------------------------------------

ButtonVO_impl::ButtonVO_impl(Factory_impl* factory, int32_t id) : PressableVO_impl(factory, id) {
    m_backColours = {Colour{128, 64, 0}, Colour{248, 208, 87}, Colour{252, 133, 133},
                     Colour{203, 203, 192}, Colour{25, 25, 250}};
    m_textColours = {Colour{248, 208, 87}, Colour{128, 64, 0}, Colour{25, 25, 250}, Colour{0, 0, 0},
                     Colour{252, 133, 133}};
}

int ButtonVO_impl::GetLook() {
    auto lock = Lock();
    if (!m_enabled) {
        return 3;
    }
    if (m_over || m_highlighted) {
        return m_pressed ? 2 : 1;
    }
    return 0;
}

void ButtonVO_impl::SetHighlighted(bool on) {
    {
        auto lock = Lock();
        if (m_highlighted == on) {
            return;
        }
        m_highlighted = on;
    }
    SetDirty();
}

void ButtonVO_impl::Draw() {
    auto lock = Lock();
    const int look = GetLook();
    const auto i = static_cast<size_t>(look);
    if (!m_backgroundHidden) {
        DrawLook(look, GetScreenRect(), m_backColours[i]);
    }
    const Point centre = GetCenter();
    // The caption stays on the button (some are made as wide as it).
    const Rect room = GetScreenRect();
    m_factory->DrawText(m_fonts[i], m_text, {centre.x + m_textOffset.x, centre.y + m_textOffset.y},
                        m_textColours[i], 1, 1, &room);
}

void ButtonVO_impl::HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) {
    Play(&SoundSet::press);
    VisibleObject_impl::HandleMouseDown(x, y, clickCount);
}

void ButtonVO_impl::SetImages(const ImagePathSet& paths) {
    auto lock = Lock();
    LoadImages(paths);
    MarkChanged();
}

void ButtonVO_impl::SetTextColours(const ColourSet& colours) {
    auto lock = Lock();
    m_textColours = colours;
    MarkChanged();
}

void ButtonVO_impl::SetBackgroundHidden(bool hidden) {
    auto lock = Lock();
    m_backgroundHidden = hidden;
}

void ButtonVO_impl::Press() {
    bool wasOver = false;
    {
        auto lock = Lock();
        wasOver = m_over;
        m_over = true;
    }
    HandleMouseDown(0, 0, 0);
    HandleMouseUp(0, 0, 0);
    auto lock = Lock();
    m_over = wasOver;
}

// --- check box -----------------------------------------------------------------

CheckBoxVO_impl::CheckBoxVO_impl(Factory_impl* factory, int32_t id)
    : PressableVO_impl(factory, id) {
    m_backColours = {Colour{255, 255, 255}, Colour{252, 133, 133}, Colour{248, 208, 87},
                     Colour{203, 203, 192}, Colour{25, 25, 250}};
    m_textColours = {Colour{248, 208, 87}, Colour{25, 25, 250}, Colour{128, 64, 0}, Colour{0, 0, 0},
                     Colour{0, 0, 0}};
}

void CheckBoxVO_impl::Draw() {
    auto lock = Lock();
    const Rect screen = GetScreenRect();
    if (!m_boxHidden) {
        // Looks: 0 checked, 1 unchecked, 2 disabled checked, 3 disabled unchecked.
        const int look = (m_enabled ? 0 : 2) + (m_checked ? 0 : 1);
        const Colour& colour = m_enabled ? m_backColours[m_checked ? 0 : 1] : m_backColours[3];
        DrawLook(look,
                 {screen.x, screen.y, static_cast<int32_t>(m_boxSize.width),
                  static_cast<int32_t>(m_boxSize.height)},
                 colour);
    }
    // Fonts and caption colours: 0 checked, 1 unchecked, 2 over, 3 disabled.
    const size_t entry = !m_enabled ? 3 : m_over ? 2 : m_checked ? 0 : 1;
    const int32_t boxWidth = m_boxHidden ? 0 : static_cast<int32_t>(m_boxSize.width);
    m_factory->DrawText(m_fonts[entry], m_text,
                        {screen.x + 4 + boxWidth + m_textOffset.x,
                         screen.y + static_cast<int32_t>(m_size.height / 2) + m_textOffset.y},
                        m_textColours[entry], 0, 1);
}

void CheckBoxVO_impl::HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) {
    Play(&SoundSet::press);
    {
        auto lock = Lock();
        m_checked = !m_checked;
        MarkChanged();
    }
    VisibleObject_impl::HandleMouseDown(x, y, clickCount);
}

void CheckBoxVO_impl::SetImages(const ImagePathSet& paths) {
    auto lock = Lock();
    LoadImages(paths);
}

void CheckBoxVO_impl::SetTextColours(const ColourSet& colours) {
    auto lock = Lock();
    m_textColours = colours;
}

void CheckBoxVO_impl::SetBoxSize(const Size& size) {
    auto lock = Lock();
    m_boxSize = size;
}

void CheckBoxVO_impl::SetBoxHidden(bool hidden) {
    auto lock = Lock();
    m_boxHidden = hidden;
}

void CheckBoxVO_impl::Press() {
    HandleMouseDown(0, 0, 0);
    HandleMouseUp(0, 0, 0);
}

void CheckBoxVO_impl::SetChecked(bool checked) {
    StoreAndMarkChanged(m_checked, checked);
}

bool CheckBoxVO_impl::IsChecked() {
    auto lock = Lock();
    return m_checked;
}

}  // namespace ControlLibrary
