#pragma once

#include <cstdint>
#include <string>

#include "common/RefObj.h"
#include "controls/Types.h"

namespace ControlLibrary {

// The counted resources the game makes through the factory. Each starts with
// a count of 1 for its creator, who gives it back through the factory's
// matching Release operation; a visible object that holds one adds a count.

// An image font loaded through the factory's font cache.
class IFont : public CommonLibrary::RefObj {
public:
    // False (the font held before stays) when the descriptor cannot be loaded.
    virtual bool Load(const std::string& path) = 0;
    // 0 without a loaded font.
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetTextWidth(const std::string& text) = 0;
};

// A sound played through the sound manager, or the music interface when the
// sound manager cannot load it.
class ISound : public CommonLibrary::RefObj {
public:
    // The object's own id, unique among live sound objects.
    virtual int32_t GetId() = 0;
    // The loaded sound id, or -1 when neither player can load the path.
    virtual int32_t Load(const std::string& path) = 0;
    virtual void Play(bool loop) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // 0.0 silent to 1.0 full; kept for later plays.
    virtual void SetVolume(double volume) = 0;
    // Plays it as music: under the music volume, not the effects volume.
    virtual void SetMusic(bool on) = 0;
};

// A picture drawn at the mouse position instead of the system cursor.
class ICursor : public CommonLibrary::RefObj {
public:
    virtual bool Load(const std::string& path) = 0;
    // A part of the picture; 0 width or height means the whole picture.
    virtual void SetSourceRect(const Rect& rect) = 0;
};

// A text box drawn next to the cursor while the mouse is over its object.
class IToolTip : public CommonLibrary::RefObj {
public:
    virtual void SetText(const std::string& text) = 0;
    virtual void SetFont(IFont* font) = 0;
    virtual void SetTextColour(const Colour& colour) = 0;
    virtual void Setup(const std::string& text, IFont* font, const Colour& colour) = 0;
    virtual void SetBackColour(const Colour& colour) = 0;
    // Kept for compatibility; does nothing.
    virtual void SetMargins(int32_t left, int32_t top, int32_t right) = 0;
    virtual void SetSize(const Size& size) = 0;
    virtual void SetTransparent(bool transparent) = 0;
};

}  // namespace ControlLibrary
