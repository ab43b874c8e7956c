// Kept apart from the rest of the platform layer: the X11 headers define
// macros (None, Status, Bool) that clash with ordinary names.

#include "framework/platform/WindowSystemWatch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

namespace Brisk::Platform {
namespace {
#if defined(SDL_VIDEO_DRIVER_X11)
Display* g_display = nullptr;  // main thread only
#endif
}  // namespace

void WatchWindowSystemOf(void* sdlWindow) {
#if defined(SDL_VIDEO_DRIVER_X11)
    g_display = nullptr;
    if (sdlWindow == nullptr) {
        return;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11) {
        g_display = info.info.x11.display;
    }
#else
    static_cast<void>(sdlWindow);
#endif
}

bool WindowSystemQuiet() {
#if defined(SDL_VIDEO_DRIVER_X11)
    // QLength reads the client library's queue length without any I/O.
    if (g_display == nullptr || QLength(g_display) > 0) {
        return false;
    }
    pollfd p{ConnectionNumber(g_display), POLLIN, 0};
    return poll(&p, 1, 0) == 0;
#else
    return false;
#endif
}

}  // namespace Brisk::Platform
