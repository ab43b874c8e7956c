#include "framework/platform/Presenter.h"

#include <SDL.h>

#include "framework/platform/Window.h"

namespace Brisk::Platform {

Rect LetterboxRect(int width, int height, int outW, int outH) {
    if (width <= 0 || height <= 0 || outW <= 0 || outH <= 0) {
        return {0, 0, 0, 0};
    }
    // Compare aspects in integers: outW / outH against width / height.
    const int64_t lhs = int64_t{outW} * height;
    const int64_t rhs = int64_t{outH} * width;
    if (lhs == rhs) {
        return {0, 0, outW, outH};
    }
    if (lhs > rhs) {  // output is wider: bars left and right
        const int w = static_cast<int>(rhs / height);
        return {(outW - w) / 2, 0, w, outH};
    }
    const int h = static_cast<int>(lhs / width);
    return {0, (outH - h) / 2, outW, h};
}

std::unique_ptr<Presenter> Presenter::Create(const Window& window, int width, int height, Kind kind,
                                             std::string* error) {
    auto* sdlWindow = static_cast<SDL_Window*>(window.NativeHandle());
    std::unique_ptr<Presenter> p(new Presenter());
    p->m_window = sdlWindow;
    p->m_width = width;
    p->m_height = height;
    p->m_kind = kind;
    if (kind == Kind::WindowSurface) {
        if (SDL_GetWindowSurface(sdlWindow) == nullptr) {
            if (error != nullptr) {
                *error = SDL_GetError();
            }
            return nullptr;
        }
        return p;
    }
    const Uint32 flags =
        kind == Kind::Accelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE;
    SDL_Renderer* renderer = SDL_CreateRenderer(sdlWindow, -1, flags);
    if (renderer == nullptr) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        return nullptr;
    }
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                             SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture == nullptr) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    // A picture shown smaller or larger than it is drawn is filtered, so that
    // thin strokes of text survive; at its own size it is copied as it is.
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    p->m_renderer = renderer;
    p->m_texture = texture;
    return p;
}

Presenter::~Presenter() {
    if (m_texture != nullptr) {
        SDL_DestroyTexture(static_cast<SDL_Texture*>(m_texture));
    }
    if (m_renderer != nullptr) {
        SDL_DestroyRenderer(static_cast<SDL_Renderer*>(m_renderer));
    }
}

bool Presenter::PresentToSurface(const uint32_t* pixels, int pitch) {
    auto* window = static_cast<SDL_Window*>(m_window);
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) {
        return false;
    }
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), m_width, m_height, 32, pitch, SDL_PIXELFORMAT_RGB888);
    if (picture == nullptr) {
        return false;
    }
    const Rect r = LetterboxRect(m_width, m_height, target->w, target->h);
    SDL_Rect dst{r.x, r.y, r.width, r.height};
    int rc = 0;
    if (r.width == m_width && r.height == m_height) {
        rc = SDL_BlitSurface(picture, nullptr, target, &dst);
    } else if (target->format->format == picture->format->format) {
        rc = SDL_SoftStretchLinear(picture, nullptr, target, &dst);  // filtered, as the texture is
    } else {
        rc = SDL_BlitScaled(picture, nullptr, target, &dst);
    }
    SDL_FreeSurface(picture);
    return rc == 0 && SDL_UpdateWindowSurface(window) == 0;
}

bool Presenter::ShowTexture() {
    auto* renderer = static_cast<SDL_Renderer*>(m_renderer);
    const Rect r = PresentationRect();
    int outW = 0;
    int outH = 0;
    SDL_GetRendererOutputSize(renderer, &outW, &outH);
    const bool bars = r.width != outW || r.height != outH;
    if (bars) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
    }
    const SDL_Rect dst{r.x, r.y, r.width, r.height};
    if (SDL_RenderCopy(renderer, static_cast<SDL_Texture*>(m_texture), nullptr, &dst) != 0) {
        return false;
    }
    SDL_RenderPresent(renderer);
    return true;
}

void Presenter::OutputSize(int* w, int* h) const {
    *w = 0;
    *h = 0;
    if (m_renderer != nullptr) {
        SDL_GetRendererOutputSize(static_cast<SDL_Renderer*>(m_renderer), w, h);
    } else {
        SDL_GetWindowSize(static_cast<SDL_Window*>(m_window), w, h);
    }
}

bool Presenter::Present(const uint32_t* pixels, int pitch, const Rect* area) {
    const bool part = area != nullptr && m_shown && m_kind != Kind::WindowSurface;
    m_shown = false;
    ++m_uploads;
    bool ok = false;
    if (m_kind == Kind::WindowSurface) {
        ok = PresentToSurface(pixels, pitch);
    } else if (part) {
        // The texture keeps the rest of the last picture.
        SDL_Rect rect{};
        const SDL_Rect changed{area->x, area->y, area->width, area->height};
        const SDL_Rect whole{0, 0, m_width, m_height};
        const bool any = SDL_IntersectRect(&changed, &whole, &rect) == SDL_TRUE;
        const Rect r{rect.x, rect.y, any ? rect.w : 0, any ? rect.h : 0};
        ++m_partialUploads;
        ok = (r.width <= 0 || r.height <= 0 ||
              SDL_UpdateTexture(static_cast<SDL_Texture*>(m_texture), &rect,
                                pixels + static_cast<ptrdiff_t>(r.y) * (pitch / 4) + r.x,
                                pitch) == 0) &&
             ShowTexture();
    } else {
        ok = SDL_UpdateTexture(static_cast<SDL_Texture*>(m_texture), nullptr, pixels, pitch) == 0 &&
             ShowTexture();
    }
    if (ok) {
        m_shown = true;
        OutputSize(&m_shownW, &m_shownH);
    }
    return ok;
}

bool Presenter::PresentAgain() {
    int w = 0;
    int h = 0;
    OutputSize(&w, &h);
    if (!m_shown || w != m_shownW || h != m_shownH) {
        return false;
    }
    switch (m_kind) {
        case Kind::WindowSurface:
            // The window's surface still holds the letterboxed picture.
            return SDL_UpdateWindowSurface(static_cast<SDL_Window*>(m_window)) == 0;
        case Kind::Software:
            // The software renderer draws into the window's surface, which
            // keeps the last picture while the output keeps its size.
            SDL_RenderPresent(static_cast<SDL_Renderer*>(m_renderer));
            return true;
        case Kind::Accelerated:
            // A hardware renderer can lose its textures with its device.
            return false;
    }
    return false;
}

Rect Presenter::PresentationRect() const {
    int outW = 0;
    int outH = 0;
    OutputSize(&outW, &outH);
    return LetterboxRect(m_width, m_height, outW, outH);
}

int Presenter::RefreshRate() const {
    SDL_DisplayMode mode;
    const int index = SDL_GetWindowDisplayIndex(static_cast<SDL_Window*>(m_window));
    if (index < 0 || SDL_GetCurrentDisplayMode(index, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

}  // namespace Brisk::Platform
