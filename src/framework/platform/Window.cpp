#include "framework/platform/Window.h"

#include <SDL.h>

#include "framework/platform/WindowSystemWatch.h"

namespace Brisk::Platform {
namespace {
SDL_Window* Sdl(void* p) {
    return static_cast<SDL_Window*>(p);
}
}  // namespace

std::unique_ptr<Window> Window::Create(const WindowParams& params, std::string* error) {
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (params.fullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else if (params.resizable) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Rect area{params.x, params.y, params.clientWidth, params.clientHeight};
    if (params.fullScreen) {
        // Without a window manager nobody makes a full-screen window cover
        // the screen: it would stay at the size asked for, centred and partly
        // off a smaller screen. Asking for the screen itself covers it either way.
        SDL_Rect screen;
        if (SDL_GetDisplayBounds(0, &screen) == 0) {
            area = screen;
        } else {
            area.x = area.y = static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
        }
    }
    SDL_Window* w = SDL_CreateWindow(params.title.c_str(), area.x, area.y, area.w, area.h, flags);
    if (w == nullptr) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        return nullptr;
    }
    if (!params.fullScreen) {
        SDL_SetWindowMinimumSize(w, 320, 240);
    }
    WatchWindowSystemOf(w);
    std::unique_ptr<Window> window(new Window());
    window->m_native = w;
    window->m_id = SDL_GetWindowID(w);
    return window;
}

Window::~Window() {
    if (m_native != nullptr) {
        SDL_DestroyWindow(Sdl(m_native));
    }
}

void Window::Show() {
    SDL_ShowWindow(Sdl(m_native));
}
void Window::Hide() {
    SDL_HideWindow(Sdl(m_native));
}

void Window::RestoreAndRaise() {
    if (IsMinimized()) {
        SDL_RestoreWindow(Sdl(m_native));
    }
    SDL_ShowWindow(Sdl(m_native));
    SDL_RaiseWindow(Sdl(m_native));
}

void Window::SetTitle(const std::string& title) {
    SDL_SetWindowTitle(Sdl(m_native), title.c_str());
}

void Window::SetIcon(const uint32_t* pixels, int width, int height) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (s != nullptr) {
        SDL_SetWindowIcon(Sdl(m_native), s);
        SDL_FreeSurface(s);
    }
}

bool Window::IsMinimized() const {
    return (SDL_GetWindowFlags(Sdl(m_native)) & SDL_WINDOW_MINIMIZED) != 0;
}
bool Window::HasInputFocus() const {
    return (SDL_GetWindowFlags(Sdl(m_native)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}
bool Window::IsShown() const {
    return (SDL_GetWindowFlags(Sdl(m_native)) & SDL_WINDOW_SHOWN) != 0;
}

Rect Window::GetClientRect() const {
    Rect r;
    SDL_GetWindowPosition(Sdl(m_native), &r.x, &r.y);
    SDL_GetWindowSize(Sdl(m_native), &r.width, &r.height);
    return r;
}

bool Window::IsMouseInside() const {
    if (SDL_GetMouseFocus() != Sdl(m_native)) {
        return false;
    }
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    const Rect r = GetClientRect();
    return x >= 0 && y >= 0 && x < r.width && y < r.height;
}

void Window::GetMousePosition(int* x, int* y) const {
    int gx = 0;
    int gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    const Rect r = GetClientRect();
    *x = gx - r.x;
    *y = gy - r.y;
}

void GetMouseState(int* x, int* y) {
    SDL_GetMouseState(x, y);
}

void Window::CaptureMouse(bool on) {
    SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

}  // namespace Brisk::Platform
