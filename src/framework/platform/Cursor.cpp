#include "framework/platform/Cursor.h"

#include <SDL.h>

#include <array>

namespace Brisk::Platform {
namespace {

constexpr int kSystemCursorCount = 10;
std::array<SDL_Cursor*, kSystemCursorCount> g_systemCursors{};

SDL_SystemCursor ToSdl(SystemCursor c) {
    switch (c) {
        case SystemCursor::Arrow:
            return SDL_SYSTEM_CURSOR_ARROW;
        case SystemCursor::Text:
            return SDL_SYSTEM_CURSOR_IBEAM;
        case SystemCursor::Wait:
            return SDL_SYSTEM_CURSOR_WAIT;
        case SystemCursor::NoEntry:
            return SDL_SYSTEM_CURSOR_NO;
        case SystemCursor::SizeAll:
            return SDL_SYSTEM_CURSOR_SIZEALL;
        case SystemCursor::SizeNESW:
            return SDL_SYSTEM_CURSOR_SIZENESW;
        case SystemCursor::SizeNS:
            return SDL_SYSTEM_CURSOR_SIZENS;
        case SystemCursor::SizeNWSE:
            return SDL_SYSTEM_CURSOR_SIZENWSE;
        case SystemCursor::SizeWE:
            return SDL_SYSTEM_CURSOR_SIZEWE;
        case SystemCursor::Hand:
            return SDL_SYSTEM_CURSOR_HAND;
    }
    return SDL_SYSTEM_CURSOR_ARROW;
}

}  // namespace

std::unique_ptr<CustomCursor> CustomCursor::Create(const uint32_t* pixels, int width, int height,
                                                   int hotX, int hotY) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (s == nullptr) {
        return nullptr;
    }
    SDL_Cursor* c = SDL_CreateColorCursor(s, hotX, hotY);
    SDL_FreeSurface(s);
    if (c == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CustomCursor> cursor(new CustomCursor());
    cursor->m_native = c;
    return cursor;
}

CustomCursor::~CustomCursor() {
    if (m_native != nullptr) {
        SDL_FreeCursor(static_cast<SDL_Cursor*>(m_native));
    }
}

void CustomCursor::Apply() const {
    SDL_SetCursor(static_cast<SDL_Cursor*>(m_native));
}

void ApplySystemCursor(SystemCursor cursor) {
    auto& slot = g_systemCursors[static_cast<size_t>(cursor)];
    if (slot == nullptr) {
        slot = SDL_CreateSystemCursor(ToSdl(cursor));
    }
    if (slot != nullptr) {
        SDL_SetCursor(slot);
    }
}

void ShowCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void ReleaseSystemCursors() {
    for (auto& c : g_systemCursors) {
        if (c != nullptr) {
            SDL_FreeCursor(c);
            c = nullptr;
        }
    }
}

}  // namespace Brisk::Platform
