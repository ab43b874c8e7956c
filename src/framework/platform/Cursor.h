#pragma once

#include <cstdint>
#include <memory>

namespace Brisk::Platform {

enum class SystemCursor {
    Arrow,
    Text,
    Wait,
    NoEntry,
    SizeAll,
    SizeNESW,
    SizeNS,
    SizeNWSE,
    SizeWE,
    Hand
};

// A colour mouse cursor made from pixels. Owns the platform cursor.
class CustomCursor {
public:
    // `pixels`: width x height 0xAARRGGBB values, rows from the top. Null on failure.
    static std::unique_ptr<CustomCursor> Create(const uint32_t* pixels, int width, int height,
                                                int hotX, int hotY);
    ~CustomCursor();
    CustomCursor(const CustomCursor&) = delete;
    CustomCursor& operator=(const CustomCursor&) = delete;

    void Apply() const;

private:
    CustomCursor() = default;
    void* m_native = nullptr;  // SDL_Cursor*
};

// Makes a system cursor the current one (cursors are created once and kept).
void ApplySystemCursor(SystemCursor cursor);
// Shows or hides the mouse pointer over the window.
void ShowCursor(bool show);
// Releases every cached system cursor; call before the video system shuts down.
void ReleaseSystemCursors();

}  // namespace Brisk::Platform
