#pragma once

#include <cstdint>
#include <string>

#include "controls/Resources.h"

namespace ControlLibrary {

class Factory_impl;

// The factory's counted resources. Each keeps the factory, which must
// outlive it, and is deleted only by the factory.

class Font_impl : public IFont {
public:
    explicit Font_impl(Factory_impl* factory) : m_factory(factory) {}
    // Gives the font back to the font cache.
    ~Font_impl() override;
    bool Load(const std::string& path) override;
    int32_t GetHeight() override;
    int32_t GetTextWidth(const std::string& text) override;
    // The font-cache index, -1 when nothing is loaded.
    int32_t GetIndex() const { return m_index; }

private:
    Factory_impl* m_factory;
    int32_t m_index = -1;
};

class Sound_impl : public ISound {
public:
    // Takes its own id from the factory's sound-id pool.
    explicit Sound_impl(Factory_impl* factory);
    // Unloads the sound it loaded and returns its own id.
    ~Sound_impl() override;
    int32_t GetId() override { return m_id; }
    int32_t Load(const std::string& path) override;
    void Play(bool loop) override;
    void Stop() override;
    bool IsPlaying() override;
    void SetVolume(double volume) override;
    void SetMusic(bool on) override;
    int32_t GetLoadedId() const { return m_loadedId; }

private:
    Factory_impl* m_factory;
    int32_t m_id;
    int32_t m_loadedId = -1;
    double m_volume = 1.0;
    bool m_music = false;
};

class Cursor_impl : public ICursor {
public:
    explicit Cursor_impl(Factory_impl* factory) : m_factory(factory) {}
    // Gives the picture back to the image cache.
    ~Cursor_impl() override;
    bool Load(const std::string& path) override;
    void SetSourceRect(const Rect& rect) override { m_sourceRect = rect; }
    // The source size when both are non-zero, else the picture's size; each 0
    // becomes 16.
    Size GetDrawSize();
    // Draws at the given position through the frame's drawing services.
    void Draw(const Point& position);

private:
    Factory_impl* m_factory;
    int32_t m_imageIndex = -1;
    Rect m_sourceRect;
    Point m_position;
};

class ToolTip_impl : public IToolTip {
public:
    explicit ToolTip_impl(Factory_impl* factory) : m_factory(factory) {}
    // Drops its count on the font.
    ~ToolTip_impl() override;
    void SetText(const std::string& text) override { m_text = text; }
    void SetFont(IFont* font) override;
    void SetTextColour(const Colour& colour) override { m_textColour = colour; }
    void Setup(const std::string& text, IFont* font, const Colour& colour) override;
    void SetBackColour(const Colour& colour) override { m_backColour = colour; }
    void SetMargins(int32_t /*left*/, int32_t /*top*/, int32_t /*right*/) override {}
    void SetSize(const Size& size) override { m_size = size; }
    void SetTransparent(bool transparent) override { m_transparent = transparent; }
    // Draws with its top-left corner at `position`.
    void Draw(const Point& position);

private:
    Factory_impl* m_factory;
    std::string m_text;
    IFont* m_font = nullptr;  // counted
    Colour m_textColour;
    Colour m_backColour{248, 208, 87};
    Size m_size;
    bool m_transparent = false;
};

}  // namespace ControlLibrary
