#include "controls/ResourceObjects.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

Font_impl::~Font_impl() {
    m_factory->ReleaseFontIndex(&m_index);
}

bool Font_impl::Load(const std::string& path) {
    const int32_t index = m_factory->LoadFont(path);
    if (index == -1) {
        return false;
    }
    m_factory->ReleaseFontIndex(&m_index);
    m_index = index;
    return true;
}

int32_t Font_impl::GetHeight() {
    return m_factory->GetFontHeight(m_index);
}

int32_t Font_impl::GetTextWidth(const std::string& text) {
    return m_factory->GetTextWidth(m_index, text);
}

Sound_impl::Sound_impl(Factory_impl* factory) : m_factory(factory), m_id(factory->TakeSoundId()) {}

Sound_impl::~Sound_impl() {
    // Unloading what this object loaded (not its own id) keeps every deal
    // from leaking a loaded sound.
    m_factory->UnloadSound(&m_loadedId);
    m_factory->ReturnSoundId(m_id);
}

int32_t Sound_impl::Load(const std::string& path) {
    m_loadedId = m_factory->LoadSound(path);
    return m_loadedId;
}

void Sound_impl::Play(bool loop) {
    m_factory->PlaySound(m_loadedId, loop, m_music);
    m_factory->SetSoundVolume(m_loadedId, m_volume);
}

void Sound_impl::Stop() {
    m_factory->StopSound(m_loadedId);
}

bool Sound_impl::IsPlaying() {
    return m_factory->IsSoundPlaying(m_loadedId);
}

void Sound_impl::SetMusic(bool on) {
    m_music = on;
    m_factory->SetSoundMusic(m_loadedId, on);
}

void Sound_impl::SetVolume(double volume) {
    m_volume = volume;
    m_factory->SetSoundVolume(m_loadedId, volume);
}

Cursor_impl::~Cursor_impl() {
    m_factory->ReleaseImage(&m_imageIndex);
}

bool Cursor_impl::Load(const std::string& path) {
    return m_factory->LoadImage(path, &m_imageIndex);
}

Size Cursor_impl::GetDrawSize() {
    Size size;
    if (m_sourceRect.width != 0 && m_sourceRect.height != 0) {
        size = {static_cast<uint32_t>(m_sourceRect.width),
                static_cast<uint32_t>(m_sourceRect.height)};
    } else {
        m_factory->GetImageSize(m_imageIndex, &size);
    }
    if (size.width == 0) {
        size.width = 16;
    }
    if (size.height == 0) {
        size.height = 16;
    }
    return size;
}

void Cursor_impl::Draw(const Point& position) {
    m_position = position;
    m_factory->DrawImage(m_imageIndex, m_sourceRect, {position.x, position.y, 0, 0});
}

ToolTip_impl::~ToolTip_impl() {
    m_factory->ReleaseFont(m_font);
}

void ToolTip_impl::SetFont(IFont* font) {
    if (font == m_font) {
        return;
    }
    if (font != nullptr) {
        font->AddRef();
    }
    m_factory->ReleaseFont(m_font);
    m_font = font;
}

void ToolTip_impl::Setup(const std::string& text, IFont* font, const Colour& colour) {
    SetText(text);
    SetFont(font);
    SetTextColour(colour);
}

void ToolTip_impl::Draw(const Point& position) {
    const Rect rect{position.x, position.y, static_cast<int32_t>(m_size.width),
                    static_cast<int32_t>(m_size.height)};
    if (!m_transparent) {
        m_factory->FillRect(rect, m_backColour);
    }
    if (!m_text.empty() && m_font != nullptr) {
        m_factory->DrawText(m_font, m_text, {rect.x, rect.y + rect.height / 2}, m_textColour, 0, 1);
    }
}

}  // namespace ControlLibrary
