// Reference for the start-up figures: the least an SDL program does to show
// one 1024 x 768 frame the way the game shows its frames (a window, the
// software renderer, a streaming texture, one present), full screen on the
// desktop's mode or windowed. Reports the frame through the same start-up
// mark as the game, then ends.
// Usage: sdl_minimal [full|window]

#include <SDL.h>

#include <cstring>
#include <vector>

#include "framework/platform/Process.h"

int main(int argc, char** argv) {
    const bool full = argc > 1 && std::strcmp(argv[1], "full") == 0;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    const Uint32 flags = full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    SDL_Window* window = SDL_CreateWindow("reference", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, 1024, 768, flags);
    SDL_Renderer* renderer =
        window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture = renderer != nullptr
                               ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                                   SDL_TEXTUREACCESS_STREAMING, 1024, 768)
                               : nullptr;
    if (texture == nullptr) {
        return 1;
    }
    std::vector<uint32_t> frame(1024 * 768, 0x00204060u);
    SDL_UpdateTexture(texture, nullptr, frame.data(), 1024 * 4);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    Brisk::Platform::StartupMark("frame");
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
