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

std::unique_ptr<Presenter> Presenter::Create(const Window& window, int width, int height,
                                             bool accelerated, std::string* error) {
    auto* sdlWindow = static_cast<SDL_Window*>(window.NativeHandle());
    const Uint32 flags = accelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE;
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
    std::unique_ptr<Presenter> p(new Presenter());
    p->m_renderer = renderer;
    p->m_texture = texture;
    p->m_window = sdlWindow;
    p->m_width = width;
    p->m_height = height;
    p->m_accelerated = accelerated;
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

bool Presenter::Present(const uint32_t* pixels, int pitch) {
    auto* renderer = static_cast<SDL_Renderer*>(m_renderer);
    auto* texture = static_cast<SDL_Texture*>(m_texture);
    if (SDL_UpdateTexture(texture, nullptr, pixels, pitch) != 0) {
        return false;
    }
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
    if (SDL_RenderCopy(renderer, texture, nullptr, &dst) != 0) {
        return false;
    }
    SDL_RenderPresent(renderer);
    return true;
}

Rect Presenter::PresentationRect() const {
    int outW = 0;
    int outH = 0;
    SDL_GetRendererOutputSize(static_cast<SDL_Renderer*>(m_renderer), &outW, &outH);
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
