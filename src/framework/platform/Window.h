#pragma once

#include <memory>
#include <string>

#include "framework/platform/Messages.h"
#include "framework/platform/Video.h"

namespace Brisk::Platform {

struct WindowParams {
    std::string title;
    int clientWidth = 640;
    int clientHeight = 480;
    int x = 0;  // client-area position on the desktop (windowed only)
    int y = 0;
    bool fullScreen = false;  // desktop full screen
    bool resizable = true;    // the display letterboxes the picture
    bool allowMaximize = false;
};

// The main window. Owns the platform window; main thread only.
class Window {
public:
    // Creates a hidden window. Returns null and fills `error` on failure.
    static std::unique_ptr<Window> Create(const WindowParams& params, std::string* error);

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowId Id() const { return m_id; }
    void Show();
    void Hide();
    // Restores a minimised window and brings it to the front with input focus.
    void RestoreAndRaise();
    void SetTitle(const std::string& title);
    // Sets the window icon from 32-bit 0xAARRGGBB pixels, rows from the top.
    void SetIcon(const uint32_t* pixels, int width, int height);

    bool IsMinimized() const;
    bool HasInputFocus() const;
    bool IsShown() const;
    // Client-area position on the desktop and size in window coordinates.
    Rect GetClientRect() const;
    // True when the pointer is over this window's client area.
    bool IsMouseInside() const;
    // Pointer position in client coordinates.
    void GetMousePosition(int* x, int* y) const;

    // Keeps mouse events coming while a button is held outside the window.
    static void CaptureMouse(bool on);

    // For the display back-end inside the platform layer only.
    void* NativeHandle() const { return m_native; }

private:
    Window() = default;

    void* m_native = nullptr;  // SDL_Window*
    WindowId m_id = 0;
};

// Pointer position relative to the window that has the mouse, as recorded by
// the last event pump. May be called from any thread.
void GetMouseState(int* x, int* y);

}  // namespace Brisk::Platform
