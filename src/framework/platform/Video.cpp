#include "framework/platform/Video.h"
#include "framework/platform/WindowSystemWatch.h"

#include "framework/platform/Paths.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace Brisk::Platform {
namespace {

bool RequestedDriver(const char* name) {
    const char* wanted = std::getenv("SDL_VIDEODRIVER");
    return wanted != nullptr && std::strcmp(wanted, name) == 0;
}

std::string NoDisplayText() {
    std::string exe = ExecutablePath();
    if (exe.empty()) {
        exe = "./vornique";
    }
    return "No display is available, so the game window cannot be opened.\n"
           "Run it on a desktop session, or without a screen under a virtual display:\n"
           "    xvfb-run -a -s \"-screen 0 1280x1024x24\" " +
           exe;
}

// Why the display servers the environment names could not be reached: SDL
// says so only when asked for that driver by name.
std::string DisplayDriverErrors() {
    std::string reasons;
    const std::pair<const char*, const char*> servers[] = {{"DISPLAY", "x11"},
                                                           {"WAYLAND_DISPLAY", "wayland"}};
    for (const auto& [variable, driver] : servers) {
        const char* value = std::getenv(variable);
        if (value == nullptr) {
            continue;
        }
        SDL_ClearError();
        if (SDL_VideoInit(driver) == 0) {
            SDL_VideoQuit();
            continue;
        }
        const char* error = SDL_GetError();
        reasons += std::string("\n") + variable + "=" + value + ": " +
                   (error != nullptr && *error != '\0' ? error : "cannot be reached");
    }
    return reasons;
}

}  // namespace

VideoInit InitVideo() {
    // Software presentation path: SDL's defaults route even the software
    // renderer through a software GL context, which is several times slower.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Closing the window is a request the application answers, not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");

    // No display server named and no driver asked for: nothing to connect to.
    // Checked first so that the drivers' own complaints do not reach the user.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        return {VideoStatus::NoDisplay, NoDisplayText()};
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        return {VideoStatus::Failed,
                std::string("The video system could not be initialised: ") + SDL_GetError()};
    }
    // Without a display SDL silently falls back to a headless driver; only
    // tests ask for one on purpose.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver != nullptr ? driver : "";
    if ((name == "offscreen" || name == "dummy") && !RequestedDriver(name.c_str())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        const std::string reasons = DisplayDriverErrors();
        std::string text = NoDisplayText();
        if (!reasons.empty()) {
            text += "\nSDL could not open the display named by the environment:" + reasons;
        }
        return {VideoStatus::NoDisplay, text};
    }
    return {VideoStatus::Ok, {}};
}

void ShutdownVideo() {
    WatchWindowSystemOf(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

std::string VideoDriverName() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return {};
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr ? driver : "";
}

std::optional<Rect> GetDesktopBounds() {
    SDL_Rect r;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayBounds(0, &r) != 0) {
        return std::nullopt;
    }
    return Rect{r.x, r.y, r.w, r.h};
}

std::optional<Rect> GetWorkArea() {
    SDL_Rect r;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDisplayUsableBounds(0, &r) != 0) {
        return std::nullopt;
    }
    return Rect{r.x, r.y, r.w, r.h};
}

std::optional<DisplayMode> GetDesktopDisplayMode() {
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return std::nullopt;
    }
    return DisplayMode{mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)),
                       mode.refresh_rate};
}

}  // namespace Brisk::Platform
